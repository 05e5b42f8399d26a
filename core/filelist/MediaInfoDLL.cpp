#include "core/filelist/MediaInfoDLL.h"

#include "core/platform/FileSystem.h"
#include "core/platform/PathBytes.h"

#include <QFileInfo>

#include <cstddef>
#include <mutex>
#include <string>

#include <unistd.h>

#include <MediaInfoDLL/MediaInfoDLL_Static.h>

#if defined(Q_OS_UNIX)
#include <locale.h>
#endif

namespace {

// The library turns wide path names into the bytes it opens with the C
// library's locale: in the "C" locale no file with a non-ASCII name could be
// read. While a handle is in use, this thread uses a UTF-8 locale (file
// names on this system are UTF-8), which also keeps the library's numbers in
// plain C notation whatever the user's locale.
class LibraryLocale final {
public:
    LibraryLocale() {
#if defined(Q_OS_UNIX)
        static const locale_t utf8 = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(nullptr));
        if (utf8)
            m_previous = uselocale(utf8);
#endif
    }
    ~LibraryLocale() {
#if defined(Q_OS_UNIX)
        if (m_previous)
            uselocale(m_previous);
#endif
    }
    LibraryLocale(const LibraryLocale &) = delete;
    LibraryLocale &operator=(const LibraryLocale &) = delete;

private:
#if defined(Q_OS_UNIX)
    locale_t m_previous = nullptr;
#endif
};

std::wstring wide(const QString &text) {
    return text.toStdWString();
}

// Copies an answer of the library up to its terminating NUL. The library
// keeps the text only until the next call, so it is copied at once.
QString fromLibrary(const wchar_t *text) {
    return text ? QString::fromWCharArray(text) : QString();
}

// The report template is a setting of the whole library, shared by every
// handle of every thread: a template set by one thread must not be replaced
// by another before its report has been taken.
std::mutex &templateLock() {
    static std::mutex lock;
    return lock;
}

// One library handle, released when it goes out of scope.
class MediaInfoHandle final {
public:
    MediaInfoHandle()
        : m_handle(MediaInfo_New()) {}
    ~MediaInfoHandle() {
        if (m_handle) {
            MediaInfo_Close(m_handle);
            MediaInfo_Delete(m_handle);
        }
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    MediaInfoHandle(const MediaInfoHandle &) = delete;
    MediaInfoHandle &operator=(const MediaInfoHandle &) = delete;

    bool isValid() const { return m_handle != nullptr; }

    void option(const wchar_t *name, const QString &value) {
        if (m_handle)
            MediaInfo_Option(m_handle, name, wide(value).c_str());
    }

    // Only a readable regular file is handed to the library: it would wait
    // for ever on a FIFO and read a device without end. The library turns
    // its wide name into UTF-8, so a name that is no UTF-8 is opened here
    // and handed over by its descriptor.
    bool open(const QString &path) {
        if (!m_handle || !OpensAsRegularFile(path))
            return false;
        if (!HasStrayBytes(path))
            return MediaInfo_Open(m_handle, wide(path).c_str()) != 0;
        m_descriptor = OpenRegularFile(path);
        return m_descriptor >= 0 &&
               MediaInfo_Open(m_handle,
                              wide(QStringLiteral("/proc/self/fd/%1").arg(m_descriptor)).c_str()) !=
                   0;
    }

    // Sets the report template and returns the report for it. The template
    // is a setting of the whole library, so every query names its own.
    QString inform(const QString &informTemplate) {
        if (!m_handle)
            return {};
        const std::wstring text = wide(informTemplate);
        const std::lock_guard<std::mutex> oneTemplateAtATime(templateLock());
        MediaInfo_Option(m_handle, L"Inform", text.c_str());
        return fromLibrary(MediaInfo_Inform(m_handle, 0));
    }

private:
    void *m_handle = nullptr;
    int m_descriptor = -1; // the file opened here, if any
};

} // namespace

MediaInfoAnswers QueryMediaInfo(const QString &path) {
    const LibraryLocale locale;
    MediaInfoHandle handle;
    handle.option(L"Internet", QStringLiteral("no"));
    // Without the legacy fields the library answers "%Codec%" with nothing,
    // which would make every file's codec unknown.
    handle.option(L"Legacy", QStringLiteral("1"));
    // A file the library cannot read simply gives empty answers below.
    const bool opened = handle.open(path);

    MediaInfoAnswers answers;
    // The library expands "%...%" in its answer once more, the file's own
    // name included: "100% %d %s %n.avi" comes back as "100% s %n", and a name
    // such as "%FileName.avi" never comes back at all (the library loops).
    // A name with a per cent sign is therefore taken from the path, without
    // its extension, as the library gives it.
    // A name that is no UTF-8 is taken from the path as well (the library
    // saw the descriptor's), with each stray byte shown as U+FFFD, and so is
    // a name with a line break, which the library gives with " / " instead.
    const QFileInfo file(path);
    const auto hasLineBreak = [&file] {
        return file.fileName().contains(u'\n') || file.fileName().contains(u'\r');
    };
    if (!file.fileName().contains(u'%') && !HasStrayBytes(path) && !hasLineBreak())
        answers.FileName = handle.inform(QStringLiteral("General;%FileName%"));
    else if (opened)
        answers.FileName = PathForDisplay(file.completeBaseName());
    answers.Codec = handle.inform(QStringLiteral("Video;%Codec%"));
    answers.PlayTime = handle.inform(QStringLiteral("General;%PlayTime%"));
    answers.Width = handle.inform(QStringLiteral("Video;%Width%"));
    answers.Height = handle.inform(QStringLiteral("Video;%Height%"));
    answers.Format = handle.inform(QStringLiteral("Video;%Format%"));
    answers.Rotation = handle.inform(QStringLiteral("Video;%Rotation%"));
    answers.PixelAspectRatio = handle.inform(QStringLiteral("Video;%PixelAspectRatio%"));
    answers.VideoCount = handle.inform(QStringLiteral("General;%VideoCount%"));
    answers.AudioCount = handle.inform(QStringLiteral("General;%AudioCount%"));
    return answers;
}

QString MediaInfoReport(const QString &path) {
    const LibraryLocale locale;
    MediaInfoHandle handle;
    handle.option(L"Internet", QStringLiteral("no"));
    if (!handle.open(path))
        return {};
    // An empty template asks for the complete text report.
    return handle.inform(QString());
}
