#include "bench/LanesBench.h"

#include "bench/BenchTools.h"
#include "convert/FilesAtOnce.h"
#include "platform/ProcessorCores.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int ClipCount = 4;
constexpr double ClipSeconds = 30;

struct Profile {
    QString device;
    int number = 0;
};

QList<Profile> profilesToRun() {
    if (qEnvironmentVariable("MOBIVERT_BENCH_PROFILES") != u"all")
        return {{QStringLiteral("PSP"), 2},
                {QStringLiteral("MobilePhone"), 3},
                {QStringLiteral("Zune"), 1},
                {QStringLiteral("iPod"), 4}};
    QList<Profile> all;
    for (const char *device : {"iPod", "Zune", "PSP", "MobilePhone"}) {
        const QString name = QString::fromLatin1(device);
        const int count =
            int(ProfileSettings::ReadDeviceProfiles(ProfileFile::Path(name)).names.size());
        for (int number = 1; number <= count; ++number)
            all.append({name, number});
    }
    return all;
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2)
                                          : QStringLiteral("?");
}

struct Run {
    bool ok = false;
    double wallSeconds = 0;
    double cores = 0; // CPU time of mobivert-cli and all it ran, over the wall time
};

// One batch through mobivert-cli, into an emptied output folder.
Run convert(const Profile &profile, const QString &jobs, const QStringList &clips,
            const QString &output) {
    QDir(output).removeRecursively();
    std::vector<std::string> command{MOBIVERT_CLI_BINARY,
                                     "--device",
                                     profile.device.toStdString(),
                                     "--profile",
                                     std::to_string(profile.number),
                                     "--jobs",
                                     jobs.toStdString(),
                                     "--output",
                                     QFile::encodeName(output).toStdString()};
    for (const QString &clip : clips)
        command.push_back(QFile::encodeName(clip).toStdString());
    const BenchTools::ProgramRun run = BenchTools::runQuietly(command);
    const bool complete = QDir(output).entryList(QDir::Files).size() == clips.size();
    return {run.ok && complete, run.wallSeconds,
            run.wallSeconds > 0 ? run.cpuSeconds / run.wallSeconds : 0};
}

QString profileName(const Profile &profile) {
    return profile.device + QStringLiteral(" %1").arg(profile.number);
}

// The share of one converter's work that runs in parallel, from the cores it
// kept busy on this machine (Amdahl's law), and its use of `cores` cores.
double parallelShare(double coresUsed, int machineCores) {
    if (machineCores <= 1 || coresUsed <= 1)
        return 0;
    return std::clamp((1.0 - 1.0 / coresUsed) / (1.0 - 1.0 / machineCores), 0.0, 0.99);
}

double coreUse(double parallel, int cores) {
    return 1.0 / ((1.0 - parallel) + parallel / cores);
}

} // namespace

QStringList RunLanesBench() {
    QTemporaryDir folder;
    if (!folder.isValid())
        return {QStringLiteral("skipped: no temporary folder")};
    const QString home = folder.path() + u"/home";
    QDir().mkpath(home);
    QStringList clips;
    for (int i = 1; i <= ClipCount; ++i) {
        clips << folder.path() + QStringLiteral("/clip %1.avi").arg(i);
        const QString error =
            BenchTools::makeClip(clips.last(), QStringLiteral("640x480"), ClipSeconds);
        if (!error.isEmpty())
            return {QStringLiteral("skipped: ") + error};
    }
    const BenchTools::HomeForBench ownHome(home);
    const QString output = folder.path() + u"/out";
    const int cores = AvailableCores();
    const int runs = BenchTools::runCount(3);
    QStringList lines{
        QStringLiteral("%1 clips of %2 s, 640x480 MPEG-4, through mobivert-cli; %3 cores; %4 "
                       "pairs per profile, Automatic and one lane taking turns; load average "
                       "at the start %5")
            .arg(ClipCount)
            .arg(ClipSeconds)
            .arg(cores)
            .arg(runs)
            .arg(loadAverage())};

    QList<QStringList> rows{{QStringLiteral("profile"), QStringLiteral("lanes"),
                             QStringLiteral("1 converter: cores"), QStringLiteral("1 lane best s"),
                             QStringLiteral("1 lane median s"), QStringLiteral("Automatic best s"),
                             QStringLiteral("Automatic median s"), QStringLiteral("speed-up best"),
                             QStringLiteral("speed-up median"),
                             QStringLiteral("cores busy (Automatic)")}};
    QList<QStringList> expected{{QStringLiteral("profile"), QStringLiteral("parallel share"),
                                 QStringLiteral("2 cores: lanes, gain"),
                                 QStringLiteral("4 cores: lanes, gain"),
                                 QStringLiteral("8 cores: lanes, gain")}};
    for (const Profile &profile : profilesToRun()) {
        const ConversionSettings settings =
            ProfileSettings::SettingsForProfile(profile.device, profile.number);
        // One converter alone: the cores it keeps busy.
        std::vector<double> single;
        for (int i = 0; i < runs; ++i) {
            const Run run = convert(profile, QStringLiteral("1"), clips.mid(0, 1), output);
            if (!run.ok)
                return lines << QStringLiteral("failed: %1, one clip").arg(profileName(profile));
            single.push_back(run.cores);
        }
        std::vector<double> oneWall, autoWall, autoCores;
        for (int i = 0; i < runs; ++i) {
            for (int turn = 0; turn < 2; ++turn) {
                const bool automatic = (turn == 0) == (i % 2 == 0);
                const Run run =
                    convert(profile, automatic ? QStringLiteral("auto") : QStringLiteral("1"),
                            clips, output);
                if (!run.ok)
                    return lines << QStringLiteral("failed: %1, %2")
                                        .arg(profileName(profile),
                                             automatic ? QStringLiteral("Automatic")
                                                       : QStringLiteral("one lane"));
                (automatic ? autoWall : oneWall).push_back(run.wallSeconds);
                if (automatic)
                    autoCores.push_back(run.cores);
            }
        }
        const double used = BenchTools::median(single);
        rows.append(
            {profileName(profile),
             QString::number(
                 FilesAtOnce::LanesFor(FilesAtOnce::Automatic, settings, ClipCount, cores)),
             BenchTools::number(used, 2), BenchTools::number(BenchTools::best(oneWall), 2),
             BenchTools::number(BenchTools::median(oneWall), 2),
             BenchTools::number(BenchTools::best(autoWall), 2),
             BenchTools::number(BenchTools::median(autoWall), 2),
             BenchTools::number(BenchTools::best(oneWall) / BenchTools::best(autoWall), 3),
             BenchTools::number(BenchTools::median(oneWall) / BenchTools::median(autoWall), 3),
             BenchTools::number(BenchTools::median(autoCores), 2)});

        // What this converter's measured core use gives on larger machines:
        // Automatic's lanes there, and the speed-up over one lane when the
        // lanes share the cores fully.
        const double parallel = parallelShare(used, cores);
        QStringList line{profileName(profile), BenchTools::number(parallel, 2)};
        for (const int machine : {2, 4, 8}) {
            const int lanes = FilesAtOnce::AutomaticLanes(settings, machine);
            const double one = coreUse(parallel, machine);
            const double gain = std::min<double>(machine, lanes * one) / one;
            line << QStringLiteral("%1, %2x").arg(lanes).arg(BenchTools::number(gain, 2));
        }
        expected.append(line);
    }
    lines << BenchTools::table(rows);
    lines << QString();
    lines << QStringLiteral("Expected on larger machines, from each converter's core use above:");
    lines << BenchTools::table(expected);
    lines << QStringLiteral("Load average at the end: ") + loadAverage();
    return lines;
}
