#include "app/convert/frmPreview.h"

#include "app/filelist/FramePicture.h"
#include "app/widgets/GUIFunctions.h"
#include "app/widgets/WizardHeader.h"
#include "core/filelist/TrimTimes.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// The source picture's height until the converted one is known.
constexpr int FirstSourceHeight = 240;
// The size the window opens at, where the screen has room for it.
constexpr QSize OpeningSize(960, 640);

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
    connect(cmbZoom, &QComboBox::currentIndexChanged, this, [this] {
        if (zoom() == Zoom::Fit)
            shrinkToFittedSize();
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
    m_pictureGrid = new QGridLayout(pictures);
    m_pictureGrid->setSpacing(6);
    m_captionSource = caption(pictures, QStringLiteral("Source"));
    m_pictureGrid->addWidget(m_captionSource, 0, 0);
    m_pictureGrid->addWidget(caption(pictures, QStringLiteral("Converted")), 0, 1);
    m_pictureGrid->addWidget(picSource, 1, 0, Qt::AlignTop | Qt::AlignLeft);
    m_pictureGrid->addWidget(picConverted, 1, 1, Qt::AlignTop | Qt::AlignLeft);
    m_pictureGrid->addWidget(txtError, 1, 1);
    m_pictureGrid->setColumnStretch(2, 1);
    m_pictureGrid->setRowStretch(2, 1);
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

    auto *zoom = new QWidget(this);
    cmbZoom = new QComboBox(zoom);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    cmbZoom->addItems({QStringLiteral("Fit"), QStringLiteral("1:1"), QStringLiteral("2×")});
    auto *zoomLabel = new QLabel(QStringLiteral("&Zoom:"), zoom);
    zoomLabel->setBuddy(cmbZoom);
    auto *zoomRow = new QHBoxLayout(zoom);
    zoomRow->setContentsMargins(0, 0, 0, 0);
    zoomRow->addWidget(zoomLabel);
    zoomRow->addWidget(cmbZoom);

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
    resize(OpeningSize);
}

frmPreview::Zoom frmPreview::zoom() const {
    return Zoom(std::clamp(cmbZoom->currentIndex(), 0, int(Zoom::Double)));
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

void frmPreview::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    if (const QScreen *display = screen())
        fitInto(display->availableGeometry());
}

void frmPreview::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    // Fitted pictures follow the window once its layout has the new size.
    if (zoom() == Zoom::Fit)
        QTimer::singleShot(0, this, &frmPreview::showPictures);
}

void frmPreview::fitInto(const QRect &available) {
    placeWithin(available, size().expandedTo(OpeningSize));
}

void frmPreview::placeWithin(const QRect &available, const QSize &wanted) {
    // The window manager's frame; before it is known, room for a title bar.
    const QSize estimate(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    const QSize frame = (frameGeometry().size() - geometry().size()).expandedTo(estimate);
    const QSize inner = wanted.boundedTo(available.size() - frame).expandedTo(minimumSize());
    resize(inner);
    // Where it is, as far as the screen allows (a window's position is
    // its frame's).
    const QSize outer = inner + frame;
    const int x = std::clamp(pos().x(), available.left(),
                             std::max(available.left(), available.right() + 1 - outer.width()));
    const int y = std::clamp(pos().y(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - outer.height()));
    move(x, y);
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
    const int factor = zoom() == Zoom::Double ? 2 : 1;
    const int height = m_converted.isNull() ? FirstSourceHeight : m_converted.height() * factor;
    m_sourceFrames->request(double(previewTime()), QSize(0, height));
}

QSize frmPreview::fittedBox() const {
    // The scroll area's view less the grid's margins, the space between
    // the pictures and the captions above them.
    const QMargins margins = m_pictureGrid->contentsMargins();
    const QSize view = m_scroll->viewport()->size();
    const int width =
        view.width() - margins.left() - margins.right() - m_pictureGrid->horizontalSpacing();
    const int height = view.height() - margins.top() - margins.bottom() -
                       m_pictureGrid->verticalSpacing() - m_captionSource->sizeHint().height();
    return {std::max(width, 2), std::max(height, 1)};
}

void frmPreview::showPictures() {
    const Zoom mode = zoom();
    const Qt::ScrollBarPolicy bars =
        mode == Zoom::Fit ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    m_scroll->setHorizontalScrollBarPolicy(bars);
    m_scroll->setVerticalScrollBarPolicy(bars);
    // Doubled pixel for pixel, so that the encoder's work is seen as it is.
    const QImage converted = m_converted.isNull() || mode != Zoom::Double
                                 ? m_converted
                                 : m_converted.scaled(m_converted.size() * 2, Qt::IgnoreAspectRatio,
                                                      Qt::FastTransformation);
    const bool converting = m_conversion.isRunning() || m_convertedFrames->isBusy();
    const QString convertedEmpty = converting ? QString() : FramePicture::NoPictureText;
    const QString sourceEmpty = m_sourceFrames->isBusy() ? QString() : FramePicture::NoPictureText;
    const auto emptySize = [](QLabel *picture, const QString &text) {
        picture->setText(text);
        return picture->minimumSizeHint().expandedTo(QSize(160, 120));
    };
    const QSize convertedSize =
        converted.isNull() ? emptySize(picConverted, convertedEmpty) : converted.size();
    const QSize sourceSize =
        m_source.isNull() ? emptySize(picSource, sourceEmpty) : m_source.size();

    // Fitted: both scaled down alike, so that they keep their shapes and
    // their common height, until side by side they fit the view.
    double scale = 1.0;
    if (mode == Zoom::Fit) {
        const QSize box = fittedBox();
        const int width = convertedSize.width() + sourceSize.width();
        const int height = std::max(convertedSize.height(), sourceSize.height());
        scale = std::min({1.0, box.width() / double(width), box.height() / double(height)});
    }
    const auto show = [scale](QLabel *picture, const QImage &image, const QSize &unscaled) {
        if (image.isNull()) { // its text set above
            picture->setFixedSize((QSizeF(unscaled) * scale).toSize().expandedTo(QSize(1, 1)));
            return;
        }
        const QImage shown =
            scale < 1.0 ? image.scaled((QSizeF(image.size()) * scale).toSize().expandedTo({1, 1}),
                                       Qt::KeepAspectRatio, Qt::SmoothTransformation)
                        : image;
        picture->setPixmap(QPixmap::fromImage(shown));
        picture->setFixedSize(shown.size());
    };
    show(picConverted, converted, convertedSize);
    show(picSource, m_source, sourceSize);
    // Once the layout has taken in the pictures' new sizes.
    QTimer::singleShot(0, this, &frmPreview::growToPictures);
}

void frmPreview::growToPictures() {
    // At 1:1 and 2x, wide enough for both pictures side by side, as far as
    // the screen allows; the window never shrinks on its own.
    if (zoom() == Zoom::Fit)
        return;
    const QSize missing = m_scroll->widget()->minimumSizeHint() - m_scroll->viewport()->size();
    if (missing.width() <= 0 && missing.height() <= 0)
        return;
    const QSize wanted = size() + missing.expandedTo(QSize(0, 0));
    if (!m_fittedSize)
        m_fittedSize = size();
    if (const QScreen *display = screen())
        placeWithin(display->availableGeometry(), wanted);
}

void frmPreview::shrinkToFittedSize() {
    // Back to the size the window had before 1:1 or 2x made it grow.
    const std::optional<QSize> fitted = std::exchange(m_fittedSize, std::nullopt);
    if (!fitted)
        return;
    if (const QScreen *display = screen())
        placeWithin(display->availableGeometry(), *fitted);
}
