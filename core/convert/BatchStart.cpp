#include "core/convert/BatchStart.h"

#include "core/convert/BatchCleanup.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchLock.h"
#include "core/convert/FilesAtOnce.h"
#include "core/convert/FolderSpace.h"
#include "core/convert/LibraryHandOff.h"
#include "core/convert/OutputFolder.h"
#include "core/platform/ProcessorCores.h"

namespace {

using Refusal = BatchStart::Refusal;

// Told alike in the window and on the command line.
Refusal refusalOf(const QStringList &lines, bool critical = true, bool invalid = false) {
    return {lines, lines.join(u' '), critical, invalid};
}

QString capitalized(const QString &text) {
    return text.left(1).toUpper() + text.mid(1);
}

// A batch that cannot be written for the reason given (a full disk, a file
// that could not be written); without a reason, the data folder is unusable.
Refusal unableToConvert(const QString &problem, const QString &dataFolder) {
    if (problem.isEmpty())
        return refusalOf(DataFolderMessage(dataFolder));
    return {{QStringLiteral("Unable to convert:"), capitalized(problem) + u'.'},
            QStringLiteral("unable to convert: ") + problem};
}

// The lanes that convert the request's files.
int lanesFor(const BatchStart::Request &request) {
    return FilesAtOnce::LanesFor(request.filesAtOnce, request.settings, int(request.rows.size()),
                                 AvailableCores());
}

} // namespace

BatchPlan BatchStart::dryRun(const Request &request) {
    BatchOptions options = request.options;
    options.lanes = lanesFor(request);
    return PlanBatch(request.settings, request.rows, options);
}

BatchStart::BatchStart(const Request &request, const IpodChooser &chooseIpod)
    : m_options(request.options)
    , m_lock(BatchFiles::lock(request.options.dataFolder)) {
    m_refusal = prepare(request, chooseIpod);
}

std::optional<Refusal> BatchStart::prepare(const Request &request, const IpodChooser &chooser) {
    if (const std::optional<OutputFolderRefusal> refusal =
            PrepareOutputFolder(m_options.outputFolder))
        return refusalOf(refusal->lines, refusal->critical, true);

    // One batch at a time per data folder, also across copies of Mobivert:
    // the working files of a running batch are never touched.
    switch (TakeBatchLock(m_lock)) {
    case BatchLockRefusal::None:
        break;
    case BatchLockRefusal::Busy:
        return refusalOf(BusyMessage());
    case BatchLockRefusal::DataFolderUnusable:
        return refusalOf(DataFolderMessage(m_options.dataFolder));
    }

    const ConversionSettings &settings = request.settings;
    // A full disk is told before anything is written or converted.
    if (const std::optional<QString> full =
            BatchSpaceRefusal(m_options.dataFolder, m_options.outputFolder,
                              UsesTwoPasses(settings) || !m_options.fit.isEmpty()))
        return unableToConvert(*full, m_options.dataFolder);

    if (std::optional<Refusal> refusal = chooseIpod(settings, chooser))
        return refusal;
    if (const std::optional<QString> numbers =
            PspNumbersRefusal(settings, request.rows.size(), m_options))
        return unableToConvert(*numbers, m_options.dataFolder);

    m_options.lanes = lanesFor(request);
    QString failure;
    m_plan = PrepareBatch(settings, request.rows, m_options, &failure);
    // A batch file that could not be written would run nothing and end as
    // if all went well.
    if (!m_plan.written) {
        RemoveWorkingFiles(m_options.dataFolder);
        return unableToConvert(failure, m_options.dataFolder);
    }

    Request started = request;
    started.options = m_options;
    m_record = BatchRecord::Of(started, m_plan.outputPaths);
    return std::nullopt;
}

std::optional<Refusal> BatchStart::chooseIpod(const ConversionSettings &settings,
                                              const IpodChooser &chooser) {
    if (!AddsToLibrary(settings, m_options))
        return std::nullopt;
    // None connected: the playlist.
    const QStringList ipods = m_options.ipodMountPoint.isEmpty()
                                  ? ConnectedIpods()
                                  : QStringList{m_options.ipodMountPoint};
    if (ipods.size() > 1) {
        const std::optional<QString> chosen = chooser(ipods);
        if (!chosen || !ipods.contains(*chosen))
            return Refusal{{},
                           QStringLiteral("several iPods are connected (") +
                               ipods.join(QStringLiteral(", ")) +
                               QStringLiteral("): name one with --ipod"),
                           true,
                           true};
        m_options.ipodMountPoint = *chosen;
    } else {
        m_options.ipodMountPoint = ipods.value(0);
    }
    if (!m_options.ipodMountPoint.isEmpty()) {
        if (const std::optional<QString> refusal = CheckIpod(m_options.ipodMountPoint))
            return Refusal{{capitalized(*refusal) + u'.',
                            QStringLiteral("Uncheck \"Add files directly to iTunes\" to convert "
                                           "the files without adding them to the iPod.")},
                           *refusal + QStringLiteral("; convert without --add-to-library and "
                                                     "--ipod to leave it out")};
    }
    m_libraryNote = LibraryNote(m_options.ipodMountPoint);
    return std::nullopt;
}

BatchRun BatchStart::run() const {
    return {m_options.dataFolder, m_options.outputFolder, m_plan.rows,
            m_plan.lanes,         m_libraryNote,          m_record,
            m_plan.commands,      m_plan.lineRows};
}
