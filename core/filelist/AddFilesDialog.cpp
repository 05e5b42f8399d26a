#include "core/filelist/AddFilesDialog.h"

#include <QFileInfo>

namespace AddFilesDialog {

QString title() {
    return QStringLiteral("Add Video File(s)");
}

QString filter() {
    // "All Files" lists every file: on this system many files carry no
    // extension, which "*.*" would hide.
    return QStringLiteral(
        "All Supported Files (*.mp3 *.mpg *.mpeg *.mpe *.m2v *.mp2 *.dat *.avi *.divx *.3gp "
        "*.flv *.wma *.wmv *.asf *.mp4 *.m4v *.mov *.mkv *.webm *.ts *.m2ts *.mts *.vob *.ogv "
        "*.3g2);;"
        "MP3 Files (*.mp3);;"
        "MPEG Files (*.mpg *.mpeg *.mpe *.m2v *.mp2 *.dat);;"
        "AVI Files (*.avi *.divx);;"
        "3GP Files (*.3gp *.3g2);;"
        "FLV Files (*.flv);;"
        "Windows Media Files (*.wma *.wmv *.asf);;"
        "MPEG-4 Files (*.mp4 *.m4v *.mov);;"
        "Matroska and WebM Files (*.mkv *.webm);;"
        "MPEG Transport Streams (*.ts *.m2ts *.mts);;"
        "DVD Video Files (*.vob);;"
        "Ogg Video Files (*.ogv);;"
        "All Files (*)");
}

QString rememberedFolder(const QStringList &selection) {
    if (selection.isEmpty())
        return {};
    QString folder = QFileInfo(selection.constFirst()).path();
    if (selection.size() == 1 && !folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

} // namespace AddFilesDialog
