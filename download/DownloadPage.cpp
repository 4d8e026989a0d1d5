#include "download/DownloadPage.h"

#include "frontend/MessageDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

void SetIf(QLabel* label, const std::optional<std::string>& text) {
    if (text)
        label->setText(Text(*text));
}

void SetIf(QTreeWidgetItem* item, int column, const std::optional<std::string>& text) {
    if (text)
        item->setText(column, Text(*text));
}

} // namespace

TDownloadPage::TDownloadPage(QWidget& window, const TDownloadPageWidgets& page,
                             const TDownloadSummaryWidgets& summary, TCustomWinHTTP& getRealURL,
                             TCustomWinHTTP& download, TGlobalVars& globals, TServices services,
                             TDownloadPageHooks hooks)
    : window_(window), page_(page), summary_(summary), globals_(globals), services_(services),
      hooks_(std::move(hooks)),
      driver_(std::make_unique<TDownloadDriver>(getRealURL, download, static_cast<IDownloadView&>(*this))) {
    connect(summary_.ButtonConvertDownloaded, &QPushButton::clicked, this,
            &TDownloadPage::ButtonConvertDownloadedClick);
}

TDownloadPage::~TDownloadPage() = default;

void TDownloadPage::StartDownloadRun(const std::vector<std::string>& links) {
    if (!driver_)
        return;
    globals_.DownloadedFiles.clear();
    TDownloadSettings settings;
    settings.Folder = globals_.OutputURLDir.toStdString();
    settings.PreferQuality = globals_.PreferYouTubeQuality;
    settings.Slots = globals_.PreferYouTube;
    globals_.LinksInRun = static_cast<int32_t>(links.size());
    globals_.LinksDownloaded = 0;
    globals_.CurrentDownloadRow = 0;
    driver_->StartRun(links, settings);
}

void TDownloadPage::NextLink() {
    if (driver_)
        driver_->NextRow();
}

void TDownloadPage::NextQuality() {
    if (driver_)
        driver_->NextQuality();
}

void TDownloadPage::AbortTransfers() {
    if (!driver_ || !driver_->Running())
        return;
    Log("The downloading was cancelled by the user.");
    driver_->Cancel();
}

void TDownloadPage::Close() {
    driver_.reset();
}

void TDownloadPage::ButtonConvertDownloadedClick() {
    if (globals_.DownloadedFiles.isEmpty()) {
        Notice(services_, &window_, "No file downloaded! Please try again.");
        return;
    }
    if (hooks_.ConvertFiles)
        hooks_.ConvertFiles(globals_.DownloadedFiles);
}

void TDownloadPage::ShowRows(const std::vector<std::string>& links) {
    QTreeWidget* list = page_.ListViewURLDownload;
    list->clear();
    for (const std::string& link : links) {
        QStringList texts;
        for (const std::string& text : InitialRowTexts(link))
            texts << Text(text);
        new QTreeWidgetItem(list, texts);
    }
}

void TDownloadPage::UpdateRow(int row, const TRowTexts& texts) {
    QTreeWidgetItem* item = page_.ListViewURLDownload->topLevelItem(row);
    if (!item)
        return;
    SetIf(item, dcStatus, texts.Status);
    SetIf(page_.LabelURLStatus, texts.Status);
    SetIf(item, dcSize, texts.Size);
    SetIf(item, dcSpeed, texts.Speed);
    SetIf(page_.LabelSpeed, texts.Speed);
    SetIf(item, dcProgress, texts.PercentText);
    SetIf(page_.LabelProgressBarDownload, texts.PercentText);
    if (texts.Percent)
        page_.ProgressBarDownload->setValue(*texts.Percent);
    SetIf(item, dcURL, texts.Address);
    SetIf(page_.LabelURLElapsedTime, texts.Elapsed);
    SetIf(page_.LabelURLTimeLeft, texts.TimeLeft);
}

void TDownloadPage::SetRowName(int row, const std::string& name) {
    if (QTreeWidgetItem* item = page_.ListViewURLDownload->topLevelItem(row))
        item->setText(dcName, Text(name));
    globals_.CurrentDownloadRow = row;
}

void TDownloadPage::SetCurrentFile(const std::string& name) {
    // The name doubles the title's first ampersand; the label shows it once.
    QString text = Text(name);
    const qsizetype doubled = text.indexOf("&&");
    if (doubled >= 0)
        text.remove(doubled, 1);
    page_.LabelURLCurrentFile->setText(text);
}

void TDownloadPage::SetQuality(const std::string& text) {
    page_.LabelQuality->setText(Text(text));
}

void TDownloadPage::ResetProgress() {
    page_.ProgressBarDownload->setValue(0);
    page_.LabelProgressBarDownload->setText("0%");
}

void TDownloadPage::PostNextRow() {
    if (hooks_.PostNextLink)
        hooks_.PostNextLink();
}

void TDownloadPage::PostNextQuality() {
    if (hooks_.PostNextQuality)
        hooks_.PostNextQuality();
}

void TDownloadPage::RunEnded(bool cancelled) {
    const TDownloadRun& run = driver_->Run();
    globals_.LinksInRun = run.Total();
    globals_.LinksDownloaded = run.Succeeded();
    globals_.CurrentDownloadRow = run.CurrentRow();
    globals_.DownloadedFiles.clear();
    for (const std::string& file : run.DownloadedFiles())
        globals_.DownloadedFiles << Text(file);
    if (hooks_.RunEnded)
        hooks_.RunEnded(cancelled);
}

void TDownloadPage::Log(const std::string& line) {
    if (hooks_.AppendLogLine)
        hooks_.AppendLogLine(Text(line));
}
