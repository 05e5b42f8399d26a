#include "convert/frmPreview.h"

#include "filelist/FramePicture.h"
#include "filelist/TrimTimes.h"
#include "widgets/GUIFunctions.h"
#include "widgets/WizardHeader.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

namespace {

// The source picture's height until the converted one is known.
constexpr int FirstSourceHeight = 240;

QLabel *pictureBox(QWidget *parent, const QString &name) {
    auto *picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setAlignment(Qt::AlignCenter);
    picture->setMinimumSize(160, 120);
    picture->setAutoFillBackground(true);
    QPalette colours = picture->palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    picture->setPalette(colours);
    return picture;
}

QLabel *caption(QWidget *parent, const QString &text) {
    auto *label = new QLabel(text, parent);
    label->setFont(VerdanaFont(8.25, true));
    return label;
}

} // namespace

frmPreview::frmPreview(const ConversionSettings &settings, const BatchCodecData &codecs,
                       const FileListRow &row, const std::optional<RowFit> &fit, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_codecs(codecs)
    , m_row(row)
    , m_fit(fit)
    , m_sourceFrames(new FrameLoader(this))
    , m_convertedFrames(new FrameLoader(this)) {
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Preview"));
    setFont(VerdanaFont());
    buildLayout();

    const PreviewStretch range = PreviewRange(row);
    sldPreviewTime->setRange(int(range.begin), int(std::max(range.begin, range.end)));
    sldPreviewTime->setPageStep(std::max(1, int(range.end - range.begin) / 10));
    sldPreviewTime->setValue(int(range.begin + (range.end - range.begin) / 2));
    lblPreviewTime->setText(FormatTrimTime(previewTime()));
    m_sourceFrames->setFile(row.Filepath);

    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &frmPreview::StartPreview);
    connect(sldPreviewTime, &QSlider::valueChanged, this, [this] {
        lblPreviewTime->setText(FormatTrimTime(previewTime()));
        m_settle.start();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &frmPreview::cmdCancel_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(optZoom2, &QRadioButton::toggled, this, [this] {
        showPictures();
        requestSource();
    });
    connect(&m_conversion, &PreviewConversion::converted, this, &frmPreview::clipConverted);
    connect(&m_conversion, &PreviewConversion::failed, this, &frmPreview::clipFailed);
    connect(m_convertedFrames, &FrameLoader::frameReady, this, &frmPreview::convertedFrame);
    connect(m_sourceFrames, &FrameLoader::frameReady, this, &frmPreview::sourceFrame);

    StartPreview();
}

frmPreview::~frmPreview() {
    m_conversion.stop();
}

void frmPreview::buildLayout() {
    header =
        new WizardHeader(QStringLiteral("Preview Output"),
                         QStringLiteral("See how the selected file looks once converted..."), this);
    lblFileName = new QLabel(QFileInfo(m_row.Filepath).fileName(), this);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setFont(VerdanaFont(8.25, true));

    picSource = pictureBox(this, QStringLiteral("picSource"));
    picConverted = pictureBox(this, QStringLiteral("picConverted"));
    txtError = new QPlainTextEdit(this);
    txtError->setObjectName(QStringLiteral("txtError"));
    txtError->setReadOnly(true);
    txtError->hide();

    auto *pictures = new QWidget(this);
    auto *grid = new QGridLayout(pictures);
    grid->addWidget(caption(pictures, QStringLiteral("Source")), 0, 0);
    grid->addWidget(caption(pictures, QStringLiteral("Converted")), 0, 1);
    grid->addWidget(picSource, 1, 0, Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(picConverted, 1, 1, Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(txtError, 1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(pictures);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);

    sldPreviewTime = new QSlider(Qt::Horizontal, this);
    sldPreviewTime->setObjectName(QStringLiteral("sldPreviewTime"));
    lblPreviewTime = new QLabel(this);
    lblPreviewTime->setObjectName(QStringLiteral("lblPreviewTime"));
    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(new QLabel(QStringLiteral("Time:"), this));
    timeRow->addWidget(sldPreviewTime, 1);
    timeRow->addWidget(lblPreviewTime);

    prgConverting = new QProgressBar(this);
    prgConverting->setObjectName(QStringLiteral("prgConverting"));
    prgConverting->setRange(0, 0); // busy: the clip's progress is too short to follow
    prgConverting->setMaximumWidth(120);
    prgConverting->setMaximumHeight(14);
    prgConverting->setTextVisible(false);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblPictureInfo = new QLabel(this);
    lblPictureInfo->setObjectName(QStringLiteral("lblPictureInfo"));
    lblSizeEstimate = new QLabel(this);
    lblSizeEstimate->setObjectName(QStringLiteral("lblSizeEstimate"));
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(prgConverting);
    statusRow->addWidget(lblStatus, 1);

    optZoom1 = new QRadioButton(QStringLiteral("1:1"), this);
    optZoom1->setObjectName(QStringLiteral("optZoom1"));
    optZoom1->setChecked(true);
    optZoom2 = new QRadioButton(QStringLiteral("2×"), this);
    optZoom2->setObjectName(QStringLiteral("optZoom2"));
    auto *zoom = new QWidget(this);
    auto *zoomRow = new QHBoxLayout(zoom);
    zoomRow->setContentsMargins(0, 0, 0, 0);
    zoomRow->addWidget(new QLabel(QStringLiteral("Zoom:"), zoom));
    zoomRow->addWidget(optZoom1);
    zoomRow->addWidget(optZoom2);

    cmdCancel = new QPushButton(QStringLiteral("C&ancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);

    auto *body = WizardBody(this, header);
    body->setSpacing(8);
    body->addWidget(lblFileName);
    body->addWidget(m_scroll, 1);
    body->addLayout(timeRow);
    body->addLayout(statusRow);
    body->addWidget(lblPictureInfo);
    body->addWidget(lblSizeEstimate);
    body->addLayout(ButtonRow({cmdCancel, cmdClose}, zoom));
    resize(760, 560);
}

qint64 frmPreview::previewTime() const {
    return sldPreviewTime->value();
}

bool frmPreview::isWorking() const {
    return m_settle.isActive() || m_conversion.isRunning() || m_convertedFrames->isBusy();
}

void frmPreview::showWorking(bool working, const QString &status) {
    prgConverting->setVisible(working);
    cmdCancel->setEnabled(working);
    lblStatus->setText(status);
}

void frmPreview::StartPreview() {
    m_settle.stop();
    m_convertedFrames->setFile(QString()); // the earlier clip is about to be removed
    m_converted = QImage();
    txtError->hide();
    picConverted->show();
    lblPictureInfo->clear();
    lblSizeEstimate->clear();
    showPictures();
    showWorking(true, QStringLiteral("Converting %1 seconds around %2...")
                          .arg(PreviewSeconds)
                          .arg(FormatTrimTime(previewTime())));
    requestSource();
    m_conversion.start(m_settings, m_codecs, m_row, previewTime(), m_fit);
}

void frmPreview::cmdCancel_Click() {
    m_settle.stop();
    m_conversion.stop();
    m_convertedFrames->setFile(QString());
    showWorking(false, QStringLiteral("Cancelled."));
}

void frmPreview::done(int result) {
    m_settle.stop();
    m_convertedFrames->setFile(QString());
    m_conversion.stop();
    QDialog::done(result);
}

void frmPreview::clipConverted(const PreviewCommand &command) {
    m_convertedFrames->setFile(command.outputPath, true);
    m_convertedFrames->request(double(previewTime() - command.clip.begin));
}

void frmPreview::clipFailed(const QString &errorText) {
    m_conversion.stop(); // nothing of the clip is kept
    showWorking(false, QStringLiteral("The converter could not convert this file:"));
    picConverted->hide();
    txtError->setPlainText(errorText);
    txtError->show();
}

void frmPreview::convertedFrame(const FrameLoader::Result &result) {
    m_converted = result.frame.image;
    if (result.stats) {
        const MediaStats &stats = *result.stats;
        lblPictureInfo->setText(
            stats.pictureSize.isEmpty()
                ? QStringLiteral("Converted picture: none (sound only), %1 kbit/s of sound")
                      .arg(std::lround(stats.audioKbps()))
                : QStringLiteral("Converted picture: %1x%2, %3 kbit/s (sound %4 kbit/s)")
                      .arg(stats.pictureSize.width())
                      .arg(stats.pictureSize.height())
                      .arg(std::lround(stats.videoKbps()))
                      .arg(std::lround(stats.audioKbps())));
        lblSizeEstimate->setText(QStringLiteral("Estimated output size: %1 MB per minute")
                                     .arg(stats.bytesPerMinute() / 1e6, 0, 'f', 1));
    }
    showWorking(false, QStringLiteral("Converted %1 seconds from %2.")
                           .arg(m_conversion.command().clip.end - m_conversion.command().clip.begin)
                           .arg(FormatTrimTime(m_conversion.command().clip.begin)));
    showPictures();
    requestSource();
}

void frmPreview::sourceFrame(const FrameLoader::Result &result) {
    m_source = result.frame.image;
    showPictures();
}

void frmPreview::requestSource() {
    const int zoom = optZoom2->isChecked() ? 2 : 1;
    const int height = m_converted.isNull() ? FirstSourceHeight : m_converted.height() * zoom;
    m_sourceFrames->request(double(previewTime()), QSize(0, height));
}

void frmPreview::showPictures() {
    const auto show = [](QLabel *picture, const QImage &image, const QString &empty) {
        if (image.isNull()) {
            picture->setPixmap(QPixmap());
            picture->setText(empty);
            picture->setFixedSize(picture->minimumSizeHint().expandedTo(QSize(160, 120)));
            return;
        }
        picture->setPixmap(QPixmap::fromImage(image));
        picture->setFixedSize(image.size());
    };
    const int zoom = optZoom2->isChecked() ? 2 : 1;
    // Doubled pixel for pixel, so that the encoder's work is seen as it is.
    const QImage converted =
        m_converted.isNull() || zoom == 1
            ? m_converted
            : m_converted.scaled(m_converted.size() * zoom, Qt::IgnoreAspectRatio,
                                 Qt::FastTransformation);
    const bool converting = m_conversion.isRunning() || m_convertedFrames->isBusy();
    show(picConverted, converted, converting ? QString() : FramePicture::NoPictureText);
    show(picSource, m_source, m_sourceFrames->isBusy() ? QString() : FramePicture::NoPictureText);
    // Once the layout has taken in the pictures' new sizes.
    QTimer::singleShot(0, this, &frmPreview::growToPictures);
}

void frmPreview::growToPictures() {
    // Wide enough for both pictures side by side, as far as the screen
    // allows; the window never shrinks on its own.
    const QSize missing = m_scroll->widget()->minimumSizeHint() - m_scroll->viewport()->size();
    if (missing.width() <= 0 && missing.height() <= 0)
        return;
    QSize wanted = size() + missing.expandedTo(QSize(0, 0));
    if (const QScreen *display = screen())
        wanted = wanted.boundedTo(display->availableGeometry().size() * 0.95);
    resize(wanted.expandedTo(size()));
}
