// Writes the report template workbook to the path given on the command line.
#include <cstdio>

#include "base/files.h"
#include "report/reporttemplate.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/model/error.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_template <output.xlt>\n");
    return 2;
  }
  try {
    writeFileAtomically(QString::fromLocal8Bit(argv[1]),
                        sheet::writeWorkbookBytes(reporttemplate::build()), FileAccess::Usual);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_template: %s\n", e.what());
    return 1;
  }
  return 0;
}
