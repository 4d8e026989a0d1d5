#include "convert/InputListPage.h"

#include "convert/BusyCursor.h"
#include "convert/FailedAddFileDialog.h"
#include "convert/InputProbe.h"
#include "convert/InputRowTexts.h"
#include "engine/FFDecode.h"
#include "frontend/MessageDialog.h"
#include "ui/SlideGrid.h"

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <array>

namespace {

constexpr int kSlideHeight = 90;
constexpr QSize kPictureSize(128, 88);
constexpr int kNameWidth = 255;

// The open dialog's filters, in order: caption and patterns.
struct TOpenFilter {
    const char* Caption;
    const char* Patterns;
};
// clang-format off
constexpr std::array<TOpenFilter, 4> kOpenFilters = {{
    {"All Supported Formats", "*.AVI;*.AVM;*.ASF;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;*.OGM;*.VOB;*.RM;*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.SWF;*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;*.TTA;*.AC3;*.DTS;"},
    {"All Video Formats (all types)", "*.AVI;*.AVM;*.ASF;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;*.OGM;*.VOB;*.RM;*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.SWF;"},
    {"All Audio Formats (all types)", "*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;*.TTA;*.AC3;*.DTS;"},
    {"All Files", "*.*"},
}};

// Extensions a drop keeps (MPEG is not among them, although the open dialog offers it).
constexpr std::array<const char*, 41> kDropExtensions = {
    ".mp3", ".aac", ".wav", ".wma", ".cda", ".flac", ".m4a", ".mid", ".mka", ".mp2", ".mpa",
    ".mpc", ".ape", ".ofr", ".ogg", ".ra",  ".wv",   ".tta", ".ac3", ".dts", ".avi", ".avm",
    ".asf", ".wmv", ".avs", ".flv", ".mkv", ".mov",  ".3gp", ".mp4", ".mpg", ".dat", ".ogm",
    ".vob", ".rm",  ".rmvb", ".ts", ".tp",  ".ifo",  ".nsv", ".swf",
};
// clang-format on

// The filters in the file dialog's form. The file system here tells letter case apart,
// so every pattern is offered in both cases.
QString openDialogFilter() {
    QStringList filters;
    for (const TOpenFilter& filter : kOpenFilters) {
        QStringList patterns;
        for (const QString& pattern : QString::fromLatin1(filter.Patterns).split(';', Qt::SkipEmptyParts)) {
            patterns << pattern;
            if (pattern.toLower() != pattern)
                patterns << pattern.toLower();
        }
        filters << QString::fromLatin1(filter.Caption) + " (" + patterns.join(' ') + ")";
    }
    return filters.join(";;");
}

// The page's built-in picture of an audio-only file: a note on a light card.
QPixmap drawAudioIcon() {
    QPixmap icon(kPictureSize);
    icon.fill(QColor(0xf2, 0xf5, 0xfa));
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x3a, 0x6e, 0xb5));
    painter.drawEllipse(QRectF(44, 54, 18, 13));
    painter.drawEllipse(QRectF(72, 48, 18, 13));
    painter.drawRect(QRectF(58, 22, 4, 38));
    painter.drawRect(QRectF(86, 16, 4, 38));
    QPainterPath beam;
    beam.moveTo(58, 22);
    beam.lineTo(90, 16);
    beam.lineTo(90, 24);
    beam.lineTo(58, 30);
    beam.closeSubpath();
    painter.drawPath(beam);
    return icon;
}

QImage imageOf(const TBitmap& bitmap) {
    const QImage::Format format = bitmap.BitsPerPixel == 32   ? QImage::Format_RGB32
                                  : bitmap.BitsPerPixel == 24 ? QImage::Format_RGB888
                                  : bitmap.BitsPerPixel == 16 ? QImage::Format_RGB16
                                  : bitmap.BitsPerPixel == 15 ? QImage::Format_RGB555
                                                              : QImage::Format_Grayscale8;
    if (bitmap.Width <= 0 || bitmap.Height <= 0 || bitmap.Pixels.empty())
        return {};
    return QImage(bitmap.Pixels.data(), bitmap.Width, bitmap.Height, bitmap.LineSize, format).copy();
}

QTableWidgetItem* textCell(const std::string& text) {
    return new QTableWidgetItem(QString::fromStdString(text));
}

} // namespace

bool IsDroppableMediaFile(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return false;
    const QString extension = "." + info.suffix().toLower();
    for (const char* allowed : kDropExtensions)
        if (extension == QLatin1String(allowed))
            return true;
    return false;
}

TInputListPage::TInputListPage(QWidget& window, const TInputPageWidgets& page, TFFDecoder& decoder,
                               TGlobalVars& globals, TServices services, LogLineFn appendLogLine)
    : window_(window), grid_(*page.NextGrid), decoder_(decoder), globals_(globals), services_(services),
      appendLogLine_(std::move(appendLogLine)) {
    ImageAudioIcon = drawAudioIcon();
    grid_.setColumnCount(kInputColumnCount);
    grid_.SetSlideHeight(kSlideHeight);
    grid_.SetPictureSize(kPictureSize);
    grid_.SetSlideColumns(NxGraphicColumnMainImage, {NxTextColumnFileMinName, NxTextColumnDuration,
                                                     NxTextColumnBitrate, NxTextColumnDimension});
    connect(&grid_, &QTableWidget::cellDoubleClicked, this, &TInputListPage::NextGridDblClick);
    connect(&grid_, &TSlideGrid::AfterRowMove, this, &TInputListPage::NextGridAfterRowMove);
    window_.setAcceptDrops(true);
    window_.installEventFilter(this);
}

TInputListPage::~TInputListPage() = default;

void TInputListPage::BindActions(const TInputListActions& actions) {
    connect(actions.ActionAdd, &QAction::triggered, this, &TInputListPage::ActionAddExecute);
    connect(actions.ActionDelete, &QAction::triggered, this, &TInputListPage::ActionDeleteExecute);
    connect(actions.ActionClear, &QAction::triggered, this, &TInputListPage::ActionClearExecute);
    connect(actions.ActionMoveUp, &QAction::triggered, this, &TInputListPage::ActionMoveUpExecute);
    connect(actions.ActionMoveDown, &QAction::triggered, this, &TInputListPage::ActionMoveDownExecute);
    connect(actions.ActionPlay, &QAction::triggered, this, &TInputListPage::ActionPlayExecute);

    PopupMenuNextGrid = new QMenu(&grid_);
    PopupMenuNextGrid->setObjectName(QStringLiteral("PopupMenuNextGrid"));
    PopupMenuNextGrid->addAction(actions.ActionAdd);
    PopupMenuNextGrid->addAction(actions.ActionDelete);
    PopupMenuNextGrid->addAction(actions.ActionClear);
    PopupMenuNextGrid->addSeparator();
    PopupMenuNextGrid->addAction(actions.ActionMoveUp);
    PopupMenuNextGrid->addAction(actions.ActionMoveDown);
    PopupMenuNextGrid->addSeparator();
    PopupMenuNextGrid->addAction(actions.ActionPlay);
    grid_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenuNextGrid->popup(grid_.viewport()->mapToGlobal(at)); });
}

void TInputListPage::AddFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    globals_.FailedFiles.clear();
    QCoreApplication::processEvents();
    grid_.setUpdatesEnabled(false);
    for (const QString& path : paths)
        AddFile(path);
    grid_.setUpdatesEnabled(true);
    if (!globals_.FailedFiles.isEmpty())
        ShowFailedAddFiles(services_, supportAddress_, &window_, globals_.FailedFiles);
}

bool TInputListPage::AddFile(const QString& path) {
    if (!decoder_.LoadFile(path.toStdString())) {
        const QString reason = QString::fromStdString(decoder_.LastErrMsg());
        appendLogLine_("File load error: " + reason);
        globals_.FailedFiles << reason;
        return false;
    }
    const int row = grid_.rowCount();
    grid_.insertRow(row);

    const QPixmap thumbnail = Thumbnail();
    thumbnails_.push_back(thumbnail);
    auto* picture = new QTableWidgetItem;
    picture->setData(Qt::DecorationRole, thumbnail);
    picture->setToolTip(path);
    grid_.setItem(row, NxGraphicColumnMainImage, picture);

    TInputFacts facts = InputFactsOf(decoder_);
    facts.Path = path.toStdString();
    const auto texts = InputRowTexts(facts);
    for (int column = NxTextColumnFileMinName; column < kInputColumnCount; ++column)
        grid_.setItem(row, column, textCell(texts[column]));
    // The first line shows the path shortened to fit; its hint shows it whole.
    QTableWidgetItem* name = grid_.item(row, NxTextColumnFileMinName);
    name->setText(QFontMetrics(window_.font()).elidedText(path, Qt::ElideMiddle, kNameWidth));
    name->setToolTip(path);
    decoder_.CloseFile();
    return true;
}

QPixmap TInputListPage::Thumbnail() {
    if (decoder_.FirstVideoStreamIndex() < 0)
        return ImageAudioIcon;
    TFileStreamInfo file;
    decoder_.GetFileStreamInfo(file);
    TBitmap bitmap;
    // A frame that cannot be decoded leaves the picture empty.
    if (!decoder_.Seek(0, file.Duration / 2) || !decoder_.DecodeVideoFrame(decoder_.FirstVideoStreamIndex()))
        return {};
    decoder_.CopyToBitmap(bitmap);
    const QImage frame = imageOf(bitmap);
    if (frame.isNull())
        return {};
    // Kept at the size it is shown in, not the frame's.
    return QPixmap::fromImage(frame.scaled(kPictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TInputListPage::DropFiles(const QStringList& paths) {
    TBusyCursorScope busy;
    QStringList kept;
    for (const QString& path : paths)
        if (IsDroppableMediaFile(path))
            kept << path;
    AddFiles(kept);
}

void TInputListPage::ActionAddExecute() {
    TFileDialogRequest request;
    request.Caption = QStringLiteral("Open");
    request.Folder = globals_.LastOpenDir;
    request.Filter = openDialogFilter();
    const QStringList files = services_.Dialogs.OpenFileNames(&window_, request);
    if (files.isEmpty())
        return;
    TBusyCursorScope busy;
    AddFiles(files);
    globals_.LastOpenDir = QFileInfo(files.first()).absolutePath();
}

void TInputListPage::ActionDeleteExecute() {
    const int selected = grid_.SelectedRow();
    if (selected < 0)
        return;
    grid_.removeRow(selected);
    grid_.clearSelection();
    const int rows = grid_.rowCount();
    if (rows > 0)
        grid_.selectRow(selected < rows ? selected : rows - 1);
}

void TInputListPage::ActionClearExecute() {
    grid_.setRowCount(0);
}

void TInputListPage::ActionMoveUpExecute() {
    const int selected = grid_.SelectedRow();
    if (selected > 0)
        grid_.MoveRow(selected, selected - 1);
}

void TInputListPage::ActionMoveDownExecute() {
    const int selected = grid_.SelectedRow();
    if (selected >= 0 && selected < grid_.rowCount() - 1)
        grid_.MoveRow(selected, selected + 1);
}

void TInputListPage::ActionPlayExecute() {
    const int selected = grid_.SelectedRow();
    if (selected < 0)
        return;
    if (const QTableWidgetItem* path = grid_.item(selected, NxTextColumnFileFullName))
        OpenWithShell(services_, grid_.window(), path->text());
}

void TInputListPage::NextGridDblClick() {
    ActionPlayExecute();
}

void TInputListPage::NextGridAfterRowMove() {
    grid_.viewport()->update();
}

bool TInputListPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasUrls()) {
            drag->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        QStringList paths;
        for (const QUrl& url : drop->mimeData()->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
        drop->acceptProposedAction();
        DropFiles(paths);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
