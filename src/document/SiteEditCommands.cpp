#include "SiteEditCommands.h"

#include "ModelText.h"
#include "SiteDocument.h"

namespace {

constexpr int kTextEditId = 1;
// Longer captions are cut in a step's text, which the Edit menu shows.
constexpr qsizetype kCaptionShown = 32;

}  // namespace

QString QuotedCaption(std::string_view caption) {
    QString text = TextFromBytes(caption).simplified();
    if (text.size() > kCaptionShown) text = text.left(kCaptionShown - 3) + QStringLiteral("...");
    return u'"' + text + u'"';
}

CTreeEditCommand::CTreeEditCommand(CSiteDocument& owner, const QString& text, CSiteEditRecord edit,
                                   CSiteSelection selectionBefore, CSiteSelection selectionAfter)
    : QUndoCommand(text),
      document(owner),
      record(std::move(edit)),
      before(std::move(selectionBefore)),
      after(std::move(selectionAfter)) {}

void CTreeEditCommand::undo() {
    document.Replay(record, false);
    document.ShowSelection(before);
}

void CTreeEditCommand::redo() {
    if (done) {
        done = false;
        return;
    }
    document.Replay(record, true);
    document.ShowSelection(after);
}

CTextEditCommand::CTextEditCommand(CSiteDocument& owner, CSiteNodeRef edited, CSiteField which,
                                   std::string from, std::string to, std::string name,
                                   int typingSession, CSiteSelection shown)
    : document(owner),
      record(edited),
      field(which),
      oldText(std::move(from)),
      newText(std::move(to)),
      caption(std::move(name)),
      session(typingSession),
      selection(std::move(shown)) {
    Describe();
}

void CTextEditCommand::Describe() {
    switch (field) {
        case CSiteField::Caption:
            setText(tr("Rename %1 to %2").arg(QuotedCaption(oldText), QuotedCaption(newText)));
            break;
        case CSiteField::Description:
            setText(tr("Edit Description of %1").arg(QuotedCaption(caption)));
            break;
        case CSiteField::Url:
            setText(tr("Edit URL of %1").arg(QuotedCaption(caption)));
            break;
    }
}

int CTextEditCommand::id() const {
    return session < 0 ? -1 : kTextEditId;
}

bool CTextEditCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const CTextEditCommand*>(other);
    if (next->session != session || next->record != record || next->field != field) return false;
    newText = next->newText;
    Describe();
    // Typing that put the text back as it was leaves no step behind.
    setObsolete(newText == oldText);
    return true;
}

void CTextEditCommand::undo() {
    document.ApplyText(record, field, oldText);
    document.ShowSelection(selection);
}

void CTextEditCommand::redo() {
    // The text was set as the user typed it; the selection did not move.
    if (done) {
        done = false;
        return;
    }
    document.ApplyText(record, field, newText);
    document.ShowSelection(selection);
}

COptionsCommand::COptionsCommand(CSiteDocument& owner, const QString& text, COptionsState old,
                                 COptionsState changed)
    : QUndoCommand(text), document(owner), before(std::move(old)), after(std::move(changed)) {}

void COptionsCommand::undo() {
    document.ApplyOptions(before.page, before.layout, before.pictures, before.pages,
                          before.publish);
}

void COptionsCommand::redo() {
    document.ApplyOptions(after.page, after.layout, after.pictures, after.pages, after.publish);
}
