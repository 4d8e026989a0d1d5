#pragma once

#include "frontend/MessageDialog.h"
#include "frontend/Services.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

// Test doubles for the window's side effects: answers are scripted in advance,
// everything that would have happened is recorded.

class FakeDialogs final : public IDialogService {
public:
    // Answers handed out in order; when none is left the box returns the first
    // of No, Cancel, OK that it offers.
    std::deque<QMessageBox::StandardButton> Answers;
    std::vector<TMessageRequest> Shown;
    // Runs while a message box is "open" (for checks made at that moment).
    std::function<void(const TMessageRequest&)> WhileShown;
    // Shows real message boxes (modal, answered by the user or closed by the program).
    bool RealBoxes = false;

    std::deque<QString> Folders; // empty string: the user cancelled
    std::vector<QString> FolderPrompts;
    std::deque<QString> SaveNames;
    std::deque<QStringList> OpenNames;
    std::vector<TFileDialogRequest> FileRequests;

    QMessageBox::StandardButton MessageDialog(QWidget* parent, const TMessageRequest& request) override {
        Shown.push_back(request);
        if (RealBoxes)
            return RunMessageBox(parent, request);
        if (WhileShown)
            WhileShown(request);
        if (!Answers.empty()) {
            const auto answer = Answers.front();
            Answers.pop_front();
            return answer;
        }
        for (auto fallback : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok})
            if (request.Buttons & fallback)
                return fallback;
        return QMessageBox::NoButton;
    }

    bool BrowseForFolder(QWidget*, QString& path, const QString& prompt, const QString&) override {
        FolderPrompts.push_back(prompt);
        if (Folders.empty() || Folders.front().isEmpty()) {
            if (!Folders.empty())
                Folders.pop_front();
            return false;
        }
        path = Folders.front();
        Folders.pop_front();
        return true;
    }

    QString SaveFileName(QWidget*, const TFileDialogRequest& request) override {
        FileRequests.push_back(request);
        if (SaveNames.empty())
            return {};
        QString name = SaveNames.front();
        SaveNames.pop_front();
        return name;
    }

    QStringList OpenFileNames(QWidget*, const TFileDialogRequest& request) override {
        FileRequests.push_back(request);
        if (OpenNames.empty())
            return {};
        QStringList names = OpenNames.front();
        OpenNames.pop_front();
        return names;
    }

    QStringList Messages() const {
        QStringList texts;
        for (const TMessageRequest& r : Shown)
            texts << r.Message;
        return texts;
    }
};

class FakeShell final : public IShellService {
public:
    QStringList Opened;
    bool Fails = false; // no program can open anything
    void OpenWithShell(const QString& target, std::function<void()> failed) override {
        Opened << target;
        if (Fails)
            failed();
    }
};

class FakeSound final : public ISoundService {
public:
    std::vector<TSystemSound> SystemSounds;
    QStringList Files;
    void PlaySystemSound(TSystemSound sound) override { SystemSounds.push_back(sound); }
    void PlayFile(const QString& path) override { Files << path; }
};

// Records power requests; it never reaches the system.
class FakePower final : public IPowerService {
public:
    struct PrivilegeCall {
        QString Name;
        bool Enable;
    };
    std::vector<PrivilegeCall> Privileges;
    std::vector<TPowerKind> Performed;
    bool Succeeds = true;

    bool SetPrivilege(const QString& name, bool enable) override {
        Privileges.push_back({name, enable});
        return Succeeds;
    }
    bool Perform(TPowerKind kind) override {
        Performed.push_back(kind);
        return Succeeds;
    }
};

struct FakeServices {
    FakeDialogs Dialogs;
    FakeShell Shell;
    FakeSound Sound;
    FakePower Power;
    TServices Bundle() { return {Dialogs, Shell, Sound, Power}; }
};
