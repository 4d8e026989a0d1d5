#pragma once

#include "convert/ConversionQueue.h"
#include "convert/ConversionRun.h"
#include "engine/FFEncode.h"
#include "frontend/GlobalVars.h"
#include "frontend/Services.h"
#include "frontend/WizardWidgets.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <vector>

// Calls into the rest of the window.
struct TConversionRunHooks {
    std::function<void(const QString&)> AppendLogLine;
    // First of the run's end on the main thread: questions about the run are void now.
    std::function<void()> RunEnding;
    std::function<void()> ShowConversionSummary;
    // Shows the shutdown countdown modally; true when it ran out.
    std::function<bool()> ShutdownCountdown;
    // Switches the machine off (power action of kind 1).
    std::function<void()> ShutDown;
    // Hands the run's end to the main thread and waits for it (the window's message 1027,
    // whose handler is ConversionRunFinished). Unset: a direct main-thread call.
    std::function<void()> SendRunFinished;
};

// The conversion run: queues a task per input (or the one join task), starts the
// encoder, shows per-row status, the overall bar and the time estimates, counts the
// task ends and, at the end, plays the sound, offers the shutdown and shows the summary.
class TConversionRunPage : public QObject {
    Q_OBJECT
public:
    // input: the list the run reads; exeDir: the program's folder, holding "sounds".
    TConversionRunPage(const TInputPageWidgets& input, const TConversionPageWidgets& page,
                       TFFEncoder& encoder, TGlobalVars& globals, TServices services, QString exeDir,
                       TConversionRunHooks hooks, QObject* parent = nullptr);
    ~TConversionRunPage() override;

    // Handler of the run-start message (1026).
    void StartConversionRun();
    // Handler of the run-finished message (1027), on the main thread.
    void ConversionRunFinished();
    // Cancel on the converting page: stops the encoder and waits.
    void StopConversion();
    // The window closes: no encoder event reaches this page any more, and a run end
    // that waits for task ends gives up. Reports the encoder's threads had already taken
    // up do nothing; the page must outlive the encoder's threads.
    void DetachEncoder();

    void FFEncoderProgress(TCustomEncoder& sender, PProgressInfo AProgressInfo);
    // Runs on the encoder's notifier threads.
    void FFEncoderTerminate(TCustomEncoder& sender, TTerminateInfo ATerminateInfo);

    void CheckBoxPlayASoundClick();
    void CheckBoxShutdownClick();
    void CheckBoxPreviewClick();

    const TConversionRun& Run() const { return run_; }

private:
    // One task per input, or the one join task; fills the converting list.
    std::vector<TQueuedFile> QueueTasks(bool join);
    void TaskEndedOnMainThread(int taskIndex, bool completed);
    void RunEndedOnMainThread();
    // The bar and its label; overall is -1 when the run's length is unknown.
    void ShowOverallProgress(int overall, int taskPosition);
    void Log(const QString& line);
    QString SoundFile(const char* name) const;

    const TInputPageWidgets& input_;
    const TConversionPageWidgets& w_;
    TFFEncoder& encoder_;
    TGlobalVars& globals_;
    TServices services_;
    QString exeDir_;
    TConversionRunHooks hooks_;
    TConversionRun run_;
    bool joinMode_ = false;            // of the current run; main thread
    std::atomic<int> tasksStarted_{0}; // set before the start, read by the final notification
    std::atomic<bool> detached_{false};
};
