#pragma once

// The main window with its conversion pages, built from a test edition with fake
// services, and the helpers the conversion tests share.

#include "EditionTestDir.h"
#include "app/FormLog.h"
#include "app/Wizard.h"
#include "common/Fixtures.h"
#include "convert/ConversionRunPage.h"
#include "convert/FormatPage.h"
#include "convert/InputListPage.h"
#include "support/MainThread.h"
#include "ui/SlideGrid.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

inline const QString kEditionConvert =
    Edition("Name=Wiz Converter\nDownload=0\nMP3=1\nWAV=1\nAVI=1\nFLV=1\nIPOD=1\n");
inline const QString kEditionJoin = Edition("Name=Wiz Joiner\nDownload=0\nMerge=1\nMP3=1\n");

class ConvertWindow : public ::testing::Test {
protected:
    void Start(const QString& edition = kEditionConvert) {
        fut = std::make_unique<FormUnderTest>(edition);
        form = fut->form.get();
        log = std::make_unique<TFormLog>(fut->services.Bundle());
        form->SetLogWindow(log.get());
        ASSERT_TRUE(form->FormCreate());
        form->FFEncoder->SetProgressInterval(100);
        wizard = form->Wizard;
        pages = &form->Pages;
        grid = pages->Input.NextGrid;
        vars = &fut->vars;
        scratch = QString::fromStdString(
            Fixtures::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    void TearDown() override {
        if (form)
            form->close();
    }

    static QString Fixture(const char* name) { return QString::fromStdString(Fixtures::Path(name)); }

    // Pumps the main thread until pred holds; false when it never did.
    static bool WaitUntil(const std::function<bool()>& pred,
                          std::chrono::seconds limit = std::chrono::seconds(300)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!pred()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            MainThread::PumpSlice(std::chrono::milliseconds(10));
        }
        return true;
    }

    // Runs drive on the first modal dialog of type D that opens.
    template <class D> static void WhenModalOpens(std::function<void(D*)> drive) {
        auto* poll = new QTimer;
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, [poll, drive] {
            if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                drive(dialog);
            }
        });
        poll->start();
    }

    QStringList LogLines() const { return log->MemoLog->toPlainText().split('\n', Qt::SkipEmptyParts); }
    QString Cell(int row, int column) const {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }

    // Chooses a format and preset and the scratch folder as the output folder.
    void ChooseFormat(TFormatId format, int preset) {
        const TFormatInfo& info = FormatInfo(format);
        vars->OutputFormatClass = info.Class;
        (info.Class == fcAudio   ? vars->OutputAudioFormat
         : info.Class == fcVideo ? vars->OutputVideoFormat
                                 : vars->OutputDeviceFormat) = static_cast<uint8_t>(info.IndexInClass);
        vars->Presets[format] = preset;
        vars->OutputFileDir = scratch;
    }

    // From the file page through the format page to the summary page.
    bool ConvertToSummary() {
        wizard->ActionNext->trigger(); // to the format page
        if (wizard->CurrentPage() != TWizardPage::Step2)
            return false;
        wizard->ActionNext->trigger(); // Convert: posts the run's start
        return WaitUntil([this] { return wizard->CurrentPage() == TWizardPage::Step4; });
    }

    QString SummaryCounts() const {
        return pages->ConversionSummary.LabelFinishTotalFiles->text() + "/" +
               pages->ConversionSummary.LabelFinishSuccessed->text() + "/" +
               pages->ConversionSummary.LabelFinishFailed->text();
    }
    QString SoundFile(const char* name) const {
        return QDir(QString::fromStdString(fut->dir.ExeDir())).filePath(QStringLiteral("sounds/") + name);
    }

    std::unique_ptr<FormUnderTest> fut;
    std::unique_ptr<TFormLog> log;
    TFormMain* form = nullptr;
    TWizard* wizard = nullptr;
    TWizardPages* pages = nullptr;
    TSlideGrid* grid = nullptr;
    TGlobalVars* vars = nullptr;
    QString scratch;
};
