#include "spreadsheet/xlsx/xlsxread.h"

#include <zip.h>

#include <QDir>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "spreadsheet/biff/numberformats.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"

namespace sheet {

namespace {

[[noreturn]] void damaged(const QString& what) {
  throw FormatError("not a readable Excel workbook (.xlsx): " + what.toStdString());
}

// The largest row and column an .xlsx sheet has (1-based).
constexpr int kXlsxRows = 1'048'576;
constexpr int kXlsxColumns = 16'384;
// The longest text a cell holds.
constexpr qsizetype kCellTextLimit = 32'767;

// The zip archive of the file, read from memory; every part read counts against the limit.
class Archive {
 public:
  explicit Archive(const QByteArray& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (source) {
      archive_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
      if (!archive_) zip_source_free(source);
    }
    const QString why = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    if (!archive_) damaged(QStringLiteral("not a zip archive (%1)").arg(why));
  }
  ~Archive() { zip_discard(archive_); }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // The bytes of a part, or nothing when the archive has no such part.
  std::optional<QByteArray> part(const QString& name) {
    const zip_int64_t index = zip_name_locate(archive_, name.toUtf8().constData(), 0);
    if (index < 0) return std::nullopt;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, zip_uint64_t(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
      damaged(QStringLiteral("the part %1 cannot be read").arg(name));
    if (stat.size > zip_uint64_t(kXlsxUnpackedLimit - unpacked_))
      damaged(QStringLiteral("it unpacks to more than %1 MiB").arg(kXlsxUnpackedLimit >> 20));
    zip_file_t* file = zip_fopen_index(archive_, zip_uint64_t(index), 0);
    if (!file) damaged(QStringLiteral("the part %1 cannot be read (%2)").arg(name, reason()));
    // The part grows as its bytes come, so that a size the archive only states takes no memory;
    // a part that holds more than it states is refused.
    QByteArray data;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
      const zip_int64_t n = zip_fread(file, chunk.data(), chunk.size());
      if (n < 0) {
        const QString why = QString::fromUtf8(zip_error_strerror(zip_file_get_error(file)));
        zip_fclose(file);
        damaged(QStringLiteral("the part %1 is damaged (%2)").arg(name, why));
      }
      if (n == 0) break;
      if (zip_uint64_t(data.size()) + zip_uint64_t(n) > stat.size) {
        zip_fclose(file);
        damaged(QStringLiteral("the part %1 is larger than the archive says").arg(name));
      }
      data.append(chunk.data(), qsizetype(n));
    }
    const qsizetype got = data.size();
    if (zip_fclose(file) != 0 || zip_uint64_t(got) != stat.size)
      damaged(QStringLiteral("the part %1 is damaged").arg(name));
    unpacked_ += got;
    return data;
  }

 private:
  QString reason() const { return QString::fromUtf8(zip_strerror(archive_)); }
  zip_t* archive_ = nullptr;
  qint64 unpacked_ = 0;
};

QByteArray required(const XlsxParts& parts, const QString& name) {
  std::optional<QByteArray> data = parts(name);
  if (!data) damaged(QStringLiteral("the part %1 is missing").arg(name));
  return *data;
}

// An XML part, read strictly: a document type declaration (and so any entity of one) or a
// malformed document refuses the file.
class Xml {
 public:
  Xml(const QByteArray& bytes, QString part) : reader_(bytes), part_(std::move(part)) {}
  // The next start element, or false at the end of the document.
  bool nextElement() {
    while (!reader_.atEnd()) {
      const QXmlStreamReader::TokenType token = reader_.readNext();
      if (token == QXmlStreamReader::DTD) damaged(part_ + QStringLiteral(" declares a DTD"));
      if (token == QXmlStreamReader::StartElement) return true;
    }
    check();
    return false;
  }
  QXmlStreamReader& reader() { return reader_; }
  QStringView name() const { return reader_.name(); }
  QString attribute(QLatin1StringView name) const {
    return reader_.attributes().value(name).toString();
  }
  // The text of the current element's <t> children (not of phonetic runs), to its end.
  QString text() {
    QString text;
    int skip = 0;  // inside <rPh>
    int level = 1;
    bool inT = false;
    while (level > 0 && !reader_.atEnd()) {
      switch (reader_.readNext()) {
        case QXmlStreamReader::StartElement:
          ++level;
          if (reader_.name() == u"rPh") ++skip;
          if (reader_.name() == u"t") inT = true;
          break;
        case QXmlStreamReader::EndElement:
          --level;
          if (reader_.name() == u"rPh") --skip;
          if (reader_.name() == u"t") inT = false;
          break;
        case QXmlStreamReader::Characters:
          if (inT && skip == 0) {
            text += reader_.text();
            if (text.size() > kCellTextLimit)
              damaged(part_ + QStringLiteral(" holds a text too long for a cell"));
          }
          break;
        case QXmlStreamReader::DTD:
          damaged(part_ + QStringLiteral(" declares a DTD"));
        default:
          break;
      }
    }
    check();
    return text;
  }
  // The text of a simple element (<v>, <f>), to its end.
  QString simpleText() {
    const QString text = reader_.readElementText(QXmlStreamReader::SkipChildElements);
    check();
    if (text.size() > kCellTextLimit) damaged(part_ + QStringLiteral(" holds a value too long"));
    return text;
  }
  void check() const {
    if (reader_.hasError())
      damaged(QStringLiteral("%1 is not well-formed XML (%2)").arg(part_, reader_.errorString()));
  }

 private:
  QXmlStreamReader reader_;
  QString part_;
};

// A part's relationships: by id, the target part's name in the archive, and its type.
struct Relationship {
  QString id;
  QString target;
  QString type;
};
// In the order the part gives them, so that the first of two alike is always the one taken.
using Relationships = std::vector<Relationship>;

// The first relationship whose type ends with `type` ("/styles"), or nothing.
const Relationship* firstOfType(const Relationships& rels, QStringView type) {
  for (const Relationship& rel : rels)
    if (rel.type.endsWith(type)) return &rel;
  return nullptr;
}

// The relationships part of a part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels").
QString relationshipsOf(const QString& part) {
  const int slash = int(part.lastIndexOf(u'/'));
  return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
         QStringLiteral(".rels");
}

// A relationship's target as a part name: relative to the source part's folder, or from the
// archive's root when it begins with "/".
QString resolveTarget(const QString& sourcePart, const QString& target) {
  QString path =
      target.startsWith(u'/') ? target : sourcePart.left(sourcePart.lastIndexOf(u'/') + 1) + target;
  path = QDir::cleanPath(u'/' + path);
  return path.mid(1);
}

Relationships readRelationships(const XlsxParts& parts, const QString& sourcePart) {
  Relationships rels;
  const QString name = relationshipsOf(sourcePart);
  const std::optional<QByteArray> bytes = parts(name);
  if (!bytes) return rels;
  QXmlStreamReader xml(*bytes);
  while (!xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::DTD) damaged(name + QStringLiteral(" declares a DTD"));
    if (token != QXmlStreamReader::StartElement || xml.name() != u"Relationship") continue;
    const auto a = xml.attributes();
    if (a.value(QLatin1StringView("TargetMode")) == u"External") continue;
    rels.push_back({a.value(QLatin1StringView("Id")).toString(),
                    resolveTarget(sourcePart, a.value(QLatin1StringView("Target")).toString()),
                    a.value(QLatin1StringView("Type")).toString()});
    if (rels.size() > 10'000) damaged(name + QStringLiteral(" holds too many relationships"));
  }
  if (xml.hasError())
    damaged(QStringLiteral("%1 is not well-formed XML (%2)").arg(name, xml.errorString()));
  return rels;
}

// The relationship id attribute ("r:id"), whatever prefix its namespace has.
QString relationshipId(const QXmlStreamAttributes& attributes) {
  for (const QXmlStreamAttribute& a : attributes)
    if (a.name() == u"id" && !a.namespaceUri().isEmpty()) return a.value().toString();
  return {};
}

// A whole decimal number of an attribute, within 0..max; nothing when it is not one.
std::optional<int> wholeNumber(QStringView text, int max) {
  bool ok = false;
  const qlonglong n = text.toLongLong(&ok);
  if (!ok || n < 0 || n > max) return std::nullopt;
  return int(n);
}

// An A1 cell reference of the sheet ("D3"), 0-based; refuses anything else.
CellRef cellReference(QStringView ref) {
  qsizetype i = 0;
  int col = 0;
  while (i < ref.size() && ref[i] >= u'A' && ref[i] <= u'Z' && i < 3)
    col = col * 26 + (ref[i++].unicode() - u'A' + 1);
  const std::optional<int> row = i > 0 ? wholeNumber(ref.mid(i), kXlsxRows) : std::nullopt;
  if (!row || *row < 1 || col > kXlsxColumns || ref.mid(i).startsWith(u'+') ||
      ref.mid(i).startsWith(u'0'))
    damaged(QStringLiteral("a cell has the reference '%1'").arg(ref.toString()));
  return {*row - 1, col - 1};
}

std::vector<QString> readSharedStrings(const XlsxParts& parts, const QString& name) {
  std::vector<QString> strings;
  const std::optional<QByteArray> bytes = parts(name);
  if (!bytes) return strings;
  Xml xml(*bytes, name);
  while (xml.nextElement())
    if (xml.name() == u"si") {
      strings.push_back(xml.text());
      if (strings.size() > size_t(kXlsxCellLimit) * 2)
        damaged(name + QStringLiteral(" holds too many texts"));
    }
  return strings;
}

// The number format of each cell format (cellXfs) of the styles part.
std::vector<QString> readNumberFormats(const XlsxParts& parts, const QString& name) {
  std::vector<QString> formats;
  const std::optional<QByteArray> bytes = parts(name);
  if (!bytes) return formats;
  QHash<int, QString> custom;
  std::vector<int> ids;
  QXmlStreamReader xml(*bytes);
  bool inCellXfs = false;
  bool inNumFmts = false;
  while (!xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::DTD) damaged(name + QStringLiteral(" declares a DTD"));
    if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs") inCellXfs = false;
    if (token == QXmlStreamReader::EndElement && xml.name() == u"numFmts") inNumFmts = false;
    if (token != QXmlStreamReader::StartElement) continue;
    const auto a = xml.attributes();
    if (xml.name() == u"numFmts") {
      inNumFmts = true;
    } else if (inNumFmts && xml.name() == u"numFmt") {
      const std::optional<int> id = wholeNumber(a.value(QLatin1StringView("numFmtId")), 0xFFFF);
      if (!id) damaged(name + QStringLiteral(" has a number format without a valid id"));
      custom.insert(*id, a.value(QLatin1StringView("formatCode")).toString());
    } else if (xml.name() == u"cellXfs") {
      inCellXfs = true;
    } else if (inCellXfs && xml.name() == u"xf") {
      const std::optional<int> id =
          a.hasAttribute(QLatin1StringView("numFmtId"))
              ? wholeNumber(a.value(QLatin1StringView("numFmtId")), 0xFFFF)
              : 0;
      if (!id) damaged(name + QStringLiteral(" has a cell format without a valid number format"));
      ids.push_back(*id);
      if (ids.size() > 0x10000) damaged(name + QStringLiteral(" holds too many cell formats"));
    }
  }
  if (xml.hasError())
    damaged(QStringLiteral("%1 is not well-formed XML (%2)").arg(name, xml.errorString()));
  for (const int id : ids) {
    QString code = custom.value(id);
    if (code.isEmpty()) code = biff::builtinNumberFormat(uint16_t(id));
    formats.push_back(code.isEmpty() ? QStringLiteral("General") : code);
  }
  return formats;
}

// A cell's value as the file gives it, by its type ("t").
Value cellValue(QStringView type, const QString& v, const std::optional<QString>& inlineText,
                const std::vector<QString>& strings, const QString& part) {
  if (type == u"inlineStr") return inlineText.value_or(QString());
  if (type == u"str") return v;
  if (type == u"d") return v;  // an ISO 8601 date, kept as the text it is
  if (v.isEmpty() && type != u"s") return Empty{};
  if (type == u"s") {
    const std::optional<int> index = wholeNumber(v, kXlsxCellLimit * 2);
    if (!index || size_t(*index) >= strings.size())
      damaged(part + QStringLiteral(" refers to a text that is not there"));
    return strings[size_t(*index)];
  }
  if (type == u"b") {
    if (v != u"0" && v != u"1") damaged(part + QStringLiteral(" has a truth value '%1'").arg(v));
    return v == u"1";
  }
  if (type == u"e") {
    if (const std::optional<ErrorCode> code = errorFromText(v)) return *code;
    damaged(part + QStringLiteral(" has an error value '%1'").arg(v));
  }
  if (!type.isEmpty() && type != u"n")
    damaged(part + QStringLiteral(" has a cell of type '%1'").arg(type));
  bool ok = false;
  const double number = v.trimmed().toDouble(&ok);  // the C locale's notation, as the file has it
  if (!ok || !std::isfinite(number)) damaged(part + QStringLiteral(" has a number '%1'").arg(v));
  return number;
}

void readWorksheet(const XlsxParts& parts, const QString& name, const std::vector<QString>& strings,
                   const std::vector<QString>& numberFormats, Workbook& book) {
  const QByteArray bytes = required(parts, name);
  Worksheet& sheet = book.sheet(0);
  std::vector<std::optional<uint32_t>> formatIndex(numberFormats.size());
  // A shared formula, by its index: the tree keeps R1C1 meaning, so the one of the cell that
  // gives it serves every cell it covers.
  QHash<QString, std::shared_ptr<const Formula>> shared;
  // The formula text the sheet may have parsed: past it the file is refused, so that a small
  // file cannot make a large tree.
  qsizetype formulaBudget = 4 * 1024 * 1024;
  int cells = 0;
  Xml xml(bytes, name);
  int row = -1;
  bool inSheetData = false;
  QXmlStreamReader& r = xml.reader();
  while (!r.atEnd()) {
    const auto token = r.readNext();
    if (token == QXmlStreamReader::DTD) damaged(name + QStringLiteral(" declares a DTD"));
    if (token == QXmlStreamReader::EndElement && r.name() == u"sheetData") inSheetData = false;
    if (token != QXmlStreamReader::StartElement) continue;
    if (r.name() == u"sheetData") {
      inSheetData = true;
      continue;
    }
    if (!inSheetData) continue;
    if (r.name() == u"row") {
      if (r.attributes().hasAttribute(QLatin1StringView("r"))) {
        const std::optional<int> n =
            wholeNumber(r.attributes().value(QLatin1StringView("r")), kXlsxRows);
        if (!n || *n < 1 || *n - 1 <= row) damaged(name + QStringLiteral(" has rows out of order"));
        row = *n - 1;
      } else {
        ++row;
      }
      int col = -1;
      // The row's cells.
      while (!r.atEnd()) {
        const auto t = r.readNext();
        if (t == QXmlStreamReader::DTD) damaged(name + QStringLiteral(" declares a DTD"));
        if (t == QXmlStreamReader::EndElement && r.name() == u"row") break;
        if (t != QXmlStreamReader::StartElement) continue;
        if (r.name() != u"c") {
          r.skipCurrentElement();
          continue;
        }
        const QXmlStreamAttributes a = r.attributes();
        CellRef at{row, col + 1};
        if (a.hasAttribute(QLatin1StringView("r"))) {
          at = cellReference(a.value(QLatin1StringView("r")));
          if (at.row != row || at.col <= col)
            damaged(name + QStringLiteral(" has cells out of order"));
        }
        if (at.row >= kXlsxRows || at.col >= kXlsxColumns)
          damaged(name + QStringLiteral(" has a cell beyond the sheet"));
        col = at.col;
        const QString type = a.value(QLatin1StringView("t")).toString();
        std::optional<int> style;
        if (a.hasAttribute(QLatin1StringView("s"))) {
          style = wholeNumber(a.value(QLatin1StringView("s")), 0xFFFF);
          if (!style || size_t(*style) >= std::max<size_t>(numberFormats.size(), 1))
            damaged(name + QStringLiteral(" refers to a cell format that is not there"));
        }
        QString v;
        QString formulaText;
        QString sharedIndex;
        bool sharedFormula = false;
        std::optional<QString> inlineText;
        while (!r.atEnd()) {
          const auto ct = r.readNext();
          if (ct == QXmlStreamReader::DTD) damaged(name + QStringLiteral(" declares a DTD"));
          if (ct == QXmlStreamReader::EndElement && r.name() == u"c") break;
          if (ct != QXmlStreamReader::StartElement) continue;
          if (r.name() == u"v") {
            v = xml.simpleText();
          } else if (r.name() == u"f") {
            sharedFormula = r.attributes().value(QLatin1StringView("t")) == u"shared";
            sharedIndex = r.attributes().value(QLatin1StringView("si")).toString();
            formulaText = xml.simpleText();
          } else if (r.name() == u"is") {
            inlineText = xml.text();
          } else {
            r.skipCurrentElement();
          }
        }
        xml.check();
        if (++cells > kXlsxCellLimit) damaged(name + QStringLiteral(" holds too many cells"));
        if (at.row >= kMaxRows || at.col >= kMaxColumns) continue;  // beyond an .xls sheet
        Cell cell;
        cell.value = cellValue(type, v, inlineText, strings, name);
        // The formula, where the engine reads it: a shared one's followers take the text of the
        // cell that gives it. One the engine cannot read leaves the cell its value.
        try {
          if (!formulaText.isEmpty()) {
            formulaBudget -= formulaText.size();
            if (formulaBudget < 0) damaged(name + QStringLiteral(" holds too many formulas"));
            cell.formula = formula::parseA1(formulaText, at);
            if (sharedFormula) shared.insert(sharedIndex, cell.formula);
          } else if (sharedFormula) {
            cell.formula = shared.value(sharedIndex);
          }
        } catch (const Error&) {
          cell.formula = nullptr;
        }
        if (style && size_t(*style) < numberFormats.size()) {
          std::optional<uint32_t>& index = formatIndex[size_t(*style)];
          if (!index) {
            CellFormat format;
            format.numberFormat = numberFormats[size_t(*style)];
            index = book.formats.intern(format);
          }
          cell.format = *index;
        }
        if (isEmpty(cell.value) && !cell.formula && cell.format == 0) continue;
        sheet.cellAt(at) = cell;
      }
      xml.check();
    }
  }
  xml.check();
}

}  // namespace

Workbook readXlsxBytes(const QByteArray& bytes) {
  Archive zip(bytes);
  return readXlsxParts([&zip](const QString& name) { return zip.part(name); });
}

Workbook readXlsxParts(const XlsxParts& parts) {
  // The package's main part, the workbook, and its first sheet.
  QString workbookPart;
  const Relationships packageRels = readRelationships(parts, QString());
  if (const Relationship* rel = firstOfType(packageRels, u"/officeDocument"))
    workbookPart = rel->target;
  if (workbookPart.isEmpty()) damaged(QStringLiteral("it names no workbook"));
  const QByteArray workbookXml = required(parts, workbookPart);
  QString sheetName;
  QString sheetId;
  {
    Xml xml(workbookXml, workbookPart);
    while (xml.nextElement())
      if (xml.name() == u"sheet") {
        sheetName = xml.attribute(QLatin1StringView("name"));
        sheetId = relationshipId(xml.reader().attributes());
        break;
      }
    xml.check();
  }
  if (sheetId.isEmpty()) damaged(QStringLiteral("the workbook has no worksheet"));
  const Relationships rels = readRelationships(parts, workbookPart);
  const auto sheetRel = std::find_if(rels.begin(), rels.end(),
                                     [&](const Relationship& rel) { return rel.id == sheetId; });
  if (sheetRel == rels.end()) damaged(QStringLiteral("the first worksheet is not there"));
  QString strings, styles;
  if (const Relationship* rel = firstOfType(rels, u"/sharedStrings")) strings = rel->target;
  if (const Relationship* rel = firstOfType(rels, u"/styles")) styles = rel->target;
  Workbook book;
  try {
    if (!sheetName.isEmpty()) book.sheet(0).setName(sheetName);
  } catch (const FormatError&) {
    throw;
  } catch (const Error&) {
    // A name an .xls sheet cannot have: the sheet keeps the default one.
  }
  const std::vector<QString> texts =
      strings.isEmpty() ? std::vector<QString>{} : readSharedStrings(parts, strings);
  const std::vector<QString> formats =
      styles.isEmpty() ? std::vector<QString>{} : readNumberFormats(parts, styles);
  readWorksheet(parts, sheetRel->target, texts, formats, book);
  return book;
}

}  // namespace sheet
