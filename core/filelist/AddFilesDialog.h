#pragma once

#include <QString>
#include <QStringList>

// The file-open dialog of "Add Video File(s)": its title, its filter and the
// folder it remembers for next time.
namespace AddFilesDialog {

QString title(); // "Add Video File(s)"

// The filter entries in their fixed order, in Qt's syntax; the first entry
// is the one selected when the dialog opens.
QString filter();

// The folder to remember after a selection: for one file its folder with a
// trailing "/", for several files their folder without one (the root stays
// "/"). Empty for an empty selection.
QString rememberedFolder(const QStringList &selection);

} // namespace AddFilesDialog
