#pragma once

#include "download/DownloadDriver.h"
#include "frontend/GlobalVars.h"
#include "frontend/Services.h"
#include "frontend/WizardWidgets.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class TCustomWinHTTP;

// What the download page asks of the window.
struct TDownloadPageHooks {
    // Post the window's messages 1028 (next link) and 1029 (next quality).
    std::function<void()> PostNextLink;
    std::function<void()> PostNextQuality;
    // The run is over; its counts and files are in the state record.
    std::function<void(bool cancelled)> RunEnded;
    // The summary's hand-over: to the input page, adding the files.
    std::function<void(const QStringList& files)> ConvertFiles;
    std::function<void(const QString&)> AppendLogLine;
};

// The download page: the run over the links with the window's two HTTP components, the
// list and status labels it shows, and the summary's hand-over of the saved files.
class TDownloadPage : public QObject, private IDownloadView {
    Q_OBJECT
public:
    // window: owner of the message boxes.
    TDownloadPage(QWidget& window, const TDownloadPageWidgets& page, const TDownloadSummaryWidgets& summary,
                  TCustomWinHTTP& getRealURL, TCustomWinHTTP& download, TGlobalVars& globals,
                  TServices services, TDownloadPageHooks hooks);
    ~TDownloadPage() override;

    // Starts a run of the links into OutputURLDir with the stored quality choice.
    void StartDownloadRun(const std::vector<std::string>& links);
    // Handlers of the messages 1028 and 1029.
    void NextLink();
    void NextQuality();
    // Cancel on the download page: the transfer in progress stops and the run ends.
    void AbortTransfers();
    // The window closes: the transfers stop without reporting and nothing partial stays.
    void Close();

    void ButtonConvertDownloadedClick();

private:
    void ShowRows(const std::vector<std::string>& links) override;
    void UpdateRow(int row, const TRowTexts& texts) override;
    void SetRowName(int row, const std::string& name) override;
    void SetCurrentFile(const std::string& name) override;
    void SetQuality(const std::string& text) override;
    void ResetProgress() override;
    void PostNextRow() override;
    void PostNextQuality() override;
    void RunEnded(bool cancelled) override;
    void Log(const std::string& line) override;

    QWidget& window_;
    TDownloadPageWidgets page_;
    TDownloadSummaryWidgets summary_;
    TGlobalVars& globals_;
    TServices services_;
    TDownloadPageHooks hooks_;
    std::unique_ptr<TDownloadDriver> driver_; // null once the window closes
};
