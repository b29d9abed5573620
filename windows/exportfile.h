#pragma once
// The file an export writes, as the windows ask for it: the save dialog, the extension added to
// a name without one, and the question before a file is written over.
#include <QString>

class Trap;

// "Are you sure you wish to overwrite <path> ?" (Yes/No); returns the button.
int askOverwrite(const QString& path);

// The file the person chose in the save dialog, with `extension` (".pdf") added to a name
// without one and, when it exists, agreed to be written over; empty when the dialog was
// cancelled or the answer was No. These are steps firstStep (the dialog), firstStep + 2 (the
// extension) and firstStep + 4 (the question) of the caller's trap.
QString chooseExportFile(Trap& trap, int firstStep, const QString& title, const QString& filter,
                         const QString& extension, const QString& proposed = QString());
