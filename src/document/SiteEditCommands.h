#pragma once

#include <QCoreApplication>
#include <QUndoCommand>
#include <string>

#include "LayoutOption.h"
#include "PageOption.h"
#include "SiteSelection.h"
#include "SiteTree.h"
#include "WebsiteSettings.h"

class CSiteDocument;

// The steps of a CSiteDocument's history. Each is made right after its change was carried out,
// so its first redo (the one QUndoStack::push runs) changes nothing; later redos and undos carry
// the change out again or take it back, and show the selection the step had after or before it.

// A change of the tree's shape or records, as the tree recorded it.
class CTreeEditCommand : public QUndoCommand {
public:
    CTreeEditCommand(CSiteDocument& document, const QString& text, CSiteEditRecord record,
                     CSiteSelection before, CSiteSelection after);

    void undo() override;
    void redo() override;

private:
    CSiteDocument& document;
    CSiteEditRecord record;
    CSiteSelection before;
    CSiteSelection after;
    bool done = true;
};

// A new text of one field of one folder or item. Steps of one typing session in the same field
// of the same record merge into one; a step that ends where it began goes away.
class CTextEditCommand : public QUndoCommand {
    Q_DECLARE_TR_FUNCTIONS(CTextEditCommand)

public:
    // `session` < 0: a step that never merges (a rename in place).
    CTextEditCommand(CSiteDocument& document, CSiteNodeRef record, CSiteField field,
                     std::string oldText, std::string newText, std::string caption, int session,
                     CSiteSelection selection);

    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;
    void undo() override;
    void redo() override;

private:
    void Describe();

    CSiteDocument& document;
    CSiteNodeRef record;
    CSiteField field;
    std::string oldText;
    std::string newText;
    std::string caption;  // of the record before the step, for the step's text
    int session;
    CSiteSelection selection;
    bool done = true;
};

// What the property sheets edit: the page and layout options, the settings of pictures and the
// page style.
struct COptionsState {
    CPageOption page;
    CLayoutOption layout;
    CPictureSettings pictures;
    CPageSettings pages;
    CPublishSettings publish;
};

// The options before and after a property sheet was open.
class COptionsCommand : public QUndoCommand {
public:
    COptionsCommand(CSiteDocument& document, const QString& text, COptionsState before,
                    COptionsState after);

    void undo() override;
    void redo() override;

private:
    CSiteDocument& document;
    COptionsState before;
    COptionsState after;
};

// A caption as a step's text names it: in double quotes, shortened when long.
QString QuotedCaption(std::string_view caption);
