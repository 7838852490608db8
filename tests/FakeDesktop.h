#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Desktop.h"

// A desktop whose dialogs answer from a script and which records what the window and the sheets
// asked of it. A question or dialog nobody scripted an answer for is answered No (or cancelled)
// and counted, so a test never waits.
class CFakeDesktop final : public CDesktop {
public:
    std::deque<Answer> answers;
    std::deque<QString> fileNames;
    // Answers to the multiple-file dialog; while none is left, it answers from fileNames.
    std::deque<QStringList> fileLists;
    QString lastFilter;  // of the last multiple-file dialog
    QString lastTitle;   // of the last folder dialog
    QStringList questions;
    QList<Icon> questionIcons;
    QStringList messages;
    QList<QUrl> openedUrls;
    bool openSucceeds = true;
    // Runs while a folder dialog is open, as another window would take the activation.
    std::function<void()> whileAsking;
    int beeps = 0;
    int unexpected = 0;

    // The sheets' dialogs: answers, and how each was opened.
    std::deque<std::optional<QColor>> colors;
    std::deque<std::optional<CFontChoice>> fonts;
    std::deque<QString> files;
    std::deque<QString> folders;
    std::deque<std::optional<CMetaVariableText>> metaVariables;
    std::vector<QColor> colorInitials;
    std::vector<CFontChoice> fontInitials;
    std::vector<QStringList> fileFilters;
    QStringList folderTitles;
    QStringList metaCaptions;
    std::vector<CMetaVariableText> metaInitials;

    using CDesktop::Ask;
    Answer Ask(QWidget*, const QString& text, bool, Icon icon) override {
        questions << text;
        questionIcons << icon;
        if (answers.empty()) {
            ++unexpected;
            return Answer::No;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QStringList confirmButtons;  // the accepting button of each Confirm, "" for OK
    bool Confirm(QWidget*, const QString& text, const QString& acceptText) override {
        confirmButtons << acceptText;
        return Ask(nullptr, text, false) == Answer::Yes;
    }
    void Tell(QWidget*, const QString& text, Severity) override { messages << text; }
    QString OpenFileName(QWidget*, const QString&) override { return NextFileName(); }
    QStringList OpenFileNames(QWidget*, const QString& filter) override {
        lastFilter = filter;
        if (!fileLists.empty()) {
            QStringList names = fileLists.front();
            fileLists.pop_front();
            return names;
        }
        const QString name = NextFileName();
        return name.isEmpty() ? QStringList() : QStringList{name};
    }
    QString SaveFileName(QWidget*, const QString&, const QString&) override {
        return NextFileName();
    }
    QString ExistingFolder(QWidget*, const QString& title) override {
        lastTitle = title;
        if (whileAsking) whileAsking();
        return NextFileName();
    }
    bool OpenUrl(const QUrl& url) override {
        openedUrls << url;
        return openSucceeds;
    }
    void Beep() override { ++beeps; }

    std::optional<QColor> GetColor(QWidget*, const QColor& initial) override {
        colorInitials.push_back(initial);
        return Next(colors);
    }
    std::optional<CFontChoice> GetFont(QWidget*, const QFont& initial,
                                       const QColor& initialColor) override {
        fontInitials.push_back({initial, initialColor});
        return Next(fonts);
    }
    QString GetOpenFileName(QWidget*, const QString&, const QStringList& filters) override {
        fileFilters.push_back(filters);
        return Next(files);
    }
    QString GetExistingDirectory(QWidget*, const QString& title) override {
        folderTitles.push_back(title);
        return Next(folders);
    }
    std::optional<CMetaVariableText> EditMetaVariable(QWidget*, const QString& caption,
                                                      const CMetaVariableText& initial) override {
        metaCaptions.push_back(caption);
        metaInitials.push_back(initial);
        return Next(metaVariables);
    }

private:
    template <typename Queue>
    typename Queue::value_type Next(Queue& queue) {
        if (queue.empty()) {
            ++unexpected;
            return {};
        }
        auto answer = queue.front();
        queue.pop_front();
        return answer;
    }

    QString NextFileName() {
        if (fileNames.empty()) {
            ++unexpected;
            return {};
        }
        QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

// Installs a fake desktop for the lifetime of the scope and puts the previous one back.
class CFakeDesktopScope {
public:
    CFakeDesktopScope() {
        auto fake = std::make_unique<CFakeDesktop>();
        desktop = fake.get();
        previous = InstallDesktop(std::move(fake));
    }
    ~CFakeDesktopScope() { InstallDesktop(std::move(previous)); }
    CFakeDesktopScope(const CFakeDesktopScope&) = delete;
    CFakeDesktopScope& operator=(const CFakeDesktopScope&) = delete;

    CFakeDesktop* operator->() const { return desktop; }
    CFakeDesktop& operator*() const { return *desktop; }

private:
    CFakeDesktop* desktop;
    std::unique_ptr<CDesktop> previous;
};
