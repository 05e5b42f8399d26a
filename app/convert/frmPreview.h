#pragma once

#include "core/convert/PreviewConversion.h"
#include "core/filelist/FrameLoader.h"

#include <QDialog>
#include <QImage>
#include <QTimer>

#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSlider;
class WizardHeader;

// The preview of one row: a few seconds around a chosen time converted
// with the current settings through the real converter, the source frame
// and the converted frame side by side (both fitted into the window, the
// converted one at its real size or doubled, the source at the same
// height), the converted picture's size and bit rate and an estimate of the
// output's size per minute. A row that fails to convert shows the
// converter's error instead. The window fits the screen it opens on.
class frmPreview final : public QDialog {
    Q_OBJECT
public:
    frmPreview(const ConversionSettings &settings, const BatchCodecData &codecs,
               const FileListRow &row, const std::optional<RowFit> &fit = std::nullopt,
               QWidget *parent = nullptr);
    ~frmPreview() override;

    WizardHeader *header = nullptr;
    QLabel *lblFileName = nullptr;
    QLabel *picSource = nullptr;
    QLabel *picConverted = nullptr;
    QPlainTextEdit *txtError = nullptr;
    QSlider *sldPreviewTime = nullptr;
    QLabel *lblPreviewTime = nullptr;
    QProgressBar *prgConverting = nullptr;
    QLabel *lblStatus = nullptr;
    QLabel *lblPictureInfo = nullptr;
    QLabel *lblSizeEstimate = nullptr;
    QComboBox *cmbZoom = nullptr; // in the order of Zoom
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdClose = nullptr;

    // How the pictures are shown: scaled down to fit the window keeping
    // their shape, at the converted picture's real size, or doubled.
    enum class Zoom { Fit, Actual, Double };
    Zoom zoom() const;

    // Sizes and places the window so that its frame lies inside
    // `available` (a screen's available geometry); done on opening.
    void fitInto(const QRect &available);

    // How long the chosen time must stay unchanged before it is converted.
    static constexpr int SettleMs = 500;

    PreviewConversion &conversion() { return m_conversion; }
    // The time previewed (whole seconds from the start of the file).
    qint64 previewTime() const;
    // A clip is being converted or its frames read.
    bool isWorking() const;

    void StartPreview();

protected:
    // Closing in any way stops the conversion and removes its folder.
    void done(int result) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildLayout();
    void cmdCancel_Click();
    void clipConverted(const PreviewCommand &command);
    void clipFailed(const QString &errorText);
    void convertedFrame(const FrameLoader::Result &result);
    void sourceFrame(const FrameLoader::Result &result);
    void showPictures();
    void growToPictures();
    void shrinkToFittedSize();
    void placeWithin(const QRect &available, const QSize &wanted);
    QSize fittedBox() const;
    void requestSource();
    void showWorking(bool working, const QString &status);

    ConversionSettings m_settings;
    BatchCodecData m_codecs;
    FileListRow m_row;
    std::optional<RowFit> m_fit;
    PreviewConversion m_conversion;
    FrameLoader *m_sourceFrames = nullptr;
    FrameLoader *m_convertedFrames = nullptr;
    QScrollArea *m_scroll = nullptr;
    QGridLayout *m_pictureGrid = nullptr;
    QLabel *m_captionSource = nullptr;
    bool m_placed = false; // fitted to its screen once shown
    // The size before 1:1 or 2x grew the window, which Fit goes back to.
    std::optional<QSize> m_fittedSize;
    QTimer m_settle;
    QImage m_converted; // the converted frame at its real size
    QImage m_source;
};
