#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QRect>
#include <QScrollArea>

#include "SiteDocument.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class CColorLabel;
class CPictureCtrl;

// The lower right pane: a form for the record the document's selection shows (the folder selected
// in the tree, or the one row selected in the list), held by its key. Every keystroke goes into
// the record as a step of the document, the keystrokes in one field making one step; undo and
// redo of such steps show here at once. An item whose URL names a local GIF or JPEG file (or PNG
// or WebP, when the website's settings show those as pictures) shows a preview of it, read on a
// thread of its own so that a large picture never holds up the window.
class CSitePropertyView : public QScrollArea {
    Q_OBJECT
public:
    enum class Mode { None = 0, Folder = 1, Item = 2 };

    // Places of the controls in the form, in pixels.
    static constexpr QRect kCaptionLabelRect{QPoint(150, 10), QPoint(249, 29)};
    static constexpr QRect kSecondLabelRect{QPoint(150, 35), QPoint(249, 54)};
    static constexpr QRect kThirdLabelRect{QPoint(150, 60), QPoint(249, 79)};
    static constexpr QRect kCaptionEditRect{QPoint(260, 10), QPoint(499, 29)};
    static constexpr QRect kUrlEditRect{QPoint(260, 35), QPoint(499, 54)};
    static constexpr QRect kItemDescriptionRect{QPoint(260, 60), QPoint(499, 159)};
    static constexpr QRect kBrowseButtonRect{QPoint(505, 35), QPoint(524, 54)};
    static constexpr QRect kFolderDescriptionRect{QPoint(260, 35), QPoint(499, 134)};
    static constexpr QRect kPreviewRect{QPoint(10, 10), QPoint(144, 144)};
    static constexpr int kPreviewSide = 135;

    explicit CSitePropertyView(CSiteDocument& document, QWidget* parent = nullptr);
    ~CSitePropertyView() override;

    void DisplayFolder(CFolderKey folder);
    void DisplayItem(CItemKey item);
    // Hides every control; the record stays the one edited.
    void HideAll();
    // Nothing shown and no record.
    void ClearForm();

    Mode CurrentMode() const { return mode; }
    CFolderKey ShownFolder() const { return folder; }
    CItemKey ShownItem() const { return item; }

    QLineEdit* CaptionEdit() const { return captionEdit; }
    QPlainTextEdit* DescriptionEdit() const { return descriptionEdit; }
    QLineEdit* UrlEdit() const { return urlEdit; }
    QPushButton* BrowseButton() const { return browseButton; }
    CPictureCtrl* Preview() const { return preview; }
    // Whether a preview is being read.
    bool PreviewPending() const { return previewWatcher.isRunning(); }

    // A preview as read on the worker: the picture at the size it is shown at, and the size of
    // the whole picture (empty when the file holds no picture that can be read).
    struct PreviewPicture {
        QImage shown;
        QSize whole;
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows what the document's selection shows.
    void ShowSelection();
    // After a change of the tree: texts of the shown record that changed, or nothing shown when
    // the record is gone.
    void Follow(const CSiteChange& change);
    void Refresh();
    void Layout();
    void ShowPreview();
    void PreviewRead();
    // Drops the preview being read: it is no longer for the record shown.
    void ForgetPreview() { ++previewRequest; }
    void OnCaptionEdited(const QString& text);
    void OnDescriptionChanged();
    void OnUrlEdited(const QString& text);
    void OnBrowse();
    // Stores what the user typed into a field of the shown record.
    void Store(CSiteField field, const QString& text);
    CSiteNodeRef Shown() const;

    Mode mode = Mode::None;
    bool layoutPending = false;
    bool filling = false;  // the form is being filled from a record, not typed into
    CSiteDocument& document;
    const CSiteTree& tree;
    CItemKey item;
    CFolderKey folder;

    QWidget* form;
    CColorLabel* captionLabel;
    CColorLabel* descriptionLabel;
    CColorLabel* urlLabel;
    CPictureCtrl* preview;
    QLineEdit* captionEdit;
    QPlainTextEdit* descriptionEdit;
    QLineEdit* urlEdit;
    QPushButton* browseButton;
    QFutureWatcher<PreviewPicture> previewWatcher;
    // Counts the previews asked for; a result is shown only while it is for the last one.
    int previewRequest = 0;
    int previewWatched = 0;
};

// Whether a path names a picture the preview shows: a GIF or JPEG file by its extension, and a
// PNG or WebP file with modernTypes.
bool IsPreviewablePicture(const QString& path, bool modernTypes = false);
