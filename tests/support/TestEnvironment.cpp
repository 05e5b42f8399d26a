#include "tests/support/TestEnvironment.h"

#include "core/platform/ApplicationFolder.h"
#include "core/platform/FileSystem.h"

#include <QDir>

namespace TestPaths {

QString buildDir() {
    return QStringLiteral(MOBIVERT_BUILD_DIR);
}

QString sourceDir() {
    return QStringLiteral(MOBIVERT_SOURCE_DIR);
}

QString appDir() {
    return buildDir();
}

QString converter() {
    return JoinPath(appDir(), QStringLiteral("Components/BrannockVideoConverter.dll"));
}

QString trackDrop() {
    return JoinPath(appDir(), QStringLiteral("Components/TrackDrop.exe"));
}

QString binary(const QString &name) {
    return JoinPath(appDir(), name);
}

} // namespace TestPaths

TestHome::TestHome()
    : m_oldHome(qgetenv("HOME"))
    , m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
    , m_oldMusic(qgetenv("XDG_MUSIC_DIR"))
    , m_oldMounts(qgetenv("MOBIVERT_MOUNTINFO")) {
    qputenv("HOME", QFile::encodeName(path()));
    qputenv("MOBIVERT_MOUNTINFO", QFile::encodeName(JoinPath(path(), QStringLiteral("mountinfo"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder()));
    qputenv("XDG_MUSIC_DIR", QFile::encodeName(musicFolder()));
    SetApplicationFolder(TestPaths::appDir());
}

TestHome::~TestHome() {
    const auto restore = [](const char *name, const QByteArray &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("HOME", m_oldHome);
    restore("XDG_CONFIG_HOME", m_oldConfig);
    restore("XDG_MUSIC_DIR", m_oldMusic);
    restore("MOBIVERT_MOUNTINFO", m_oldMounts);
}

QString TestHome::configFolder() const {
    return JoinPath(path(), QStringLiteral(".config"));
}

QString TestHome::dataFolder() const {
    return JoinPath(configFolder(), QStringLiteral("Brannock Software/Mobivert"));
}

QString TestHome::musicFolder() const {
    return JoinPath(path(), QStringLiteral("Music"));
}

QString TestHome::makeFolder(const QString &name) const {
    const QString folder = JoinPath(path(), name);
    QDir().mkpath(folder);
    return folder;
}

void TestHome::setMounts(const QStringList &mountPoints) const {
    // As the kernel writes them: blanks escaped, one device number each.
    QByteArray text = "22 1 0:21 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";
    for (qsizetype i = 0; i < mountPoints.size(); ++i)
        text += QByteArray::number(100 + i) + " 22 8:" + QByteArray::number(17 + i) + " / " +
                QFile::encodeName(mountPoints[i]).replace(" ", "\\040") +
                " rw,nosuid,nodev,relatime shared:50 - vfat /dev/sdb" + QByteArray::number(i + 1) +
                " rw,uid=1000\n";
    QFile file(JoinPath(path(), QStringLiteral("mountinfo")));
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}
