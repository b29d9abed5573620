#pragma once
// The windows' look: the button-face background, the style sheet beside the program, and the
// hand pointer read from a Windows cursor file.
#include <QCursor>
#include <QString>
#include <optional>

class QWidget;

// Applies <program folder>/x/o.cjs to the window as a Qt style sheet. A missing file leaves
// the designed look; an unreadable file or a sheet Qt refuses throws Failure.
void ApplySkin(QWidget* form);
// Gives the window and its frames and labels the button-face colour of the palette.
void SetFormBackColors(QWidget* form);

// The hand pointer from <program folder>/HAND-M.CUR; nothing when the file is absent.
// Throws Failure when the file exists but cannot be read as a cursor.
std::optional<QCursor> loadHandCursor();
// Reads a Windows .cur file (image and hotspot); throws Failure on bad data.
QCursor cursorFromCurFile(const QString& path);
