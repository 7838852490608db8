#pragma once

#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "DialogProvider.h"

// Answers the sheets' dialogs from queues filled by a test and records how each was opened.
// A dialog opened with nothing queued counts as unexpected and is cancelled.
class CFakeDialogs final : public CDialogProvider {
public:
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
    QStringList messages;
    int unexpected = 0;

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
    void ShowMessage(QWidget*, const QString& text) override { messages.push_back(text); }

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
};
