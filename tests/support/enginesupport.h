#pragma once
// Helpers of the engine's tests, which the program's tests share: paths of the source tree, the
// independent readers (python3, LibreOffice), running a program, values as text, and a
// workbook read from a file. They need the engine alone.
#include <QString>
#include <QStringList>

#include "spreadsheet/model/value.h"
#include "spreadsheet/model/workbook.h"

QString sourcePath(const QString& relative);  // a file of the source tree
QString python3();                            // /usr/bin/python3 as found by CMake, or ""
QString soffice();                            // LibreOffice's soffice, or "" when absent

// Runs a program; returns its exit code (-1 when it could not start) and its output.
int runProgram(const QString& program, const QStringList& args, QString* out = nullptr,
               int timeoutMs = 120000);

// "n:7.5", "t:abc", "b:TRUE", "e:#DIV/0!", "empty": one text per value, for table rows.
QString describeValue(const sheet::Value& v);

// Reads a workbook file (the engine reads bytes only); throws on a file that cannot be read and
// the engine's errors on bytes that are no workbook.
sheet::Workbook loadWorkbookFile(const QString& path);
