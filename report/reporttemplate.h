#pragma once
// The report template workbook, defined in code: one sheet "xmas" with the four category
// blocks (A..E, F..J, K..O, P..T), headings, formatted entry rows 3..24 and the totals row 25.
// The build writes it to template.xlt and carries it as the resource ":/template.xlt".
#include <QByteArray>

#include "spreadsheet/model/workbook.h"

namespace reporttemplate {

// Palette colours of the template (standard palette indexes).
inline constexpr uint16_t kFamilyFill = 43;                   // FFFF99
inline constexpr uint16_t kRelativesFill = 11;                // 00FF00
inline constexpr uint16_t kFriendsFill = 47;                  // FFCC99
inline constexpr uint16_t kKnowableFill = 31;                 // CCCCFF
inline constexpr uint16_t kTotalFills[4] = {13, 57, 52, 62};  // FFFF00 339966 FF9900 333399
inline constexpr uint16_t kHyperlinkBlue = 12;                // 0000FF

sheet::Workbook build();

}  // namespace reporttemplate

namespace report {

// The template workbook carried by the program.
QByteArray templateBytes();
// Replaces the template's bytes (tests of a damaged template); an empty array restores it.
void setTemplateBytesForTesting(const QByteArray& bytes);

}  // namespace report
