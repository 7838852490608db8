#pragma once

#include "OptionPage.h"
#include "WebsiteSettings.h"

class QCheckBox;

// "Pictures": how the pages show pictures. Thumbnail files, the size of the box a picture is
// shown in, the thumbnails' pixel density and JPEG quality, and whether PNG and WebP files are
// pictures too. Density and quality are used only with thumbnail files, so they are enabled
// only while their box is checked.
class COptionPagePicturesPage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionPagePicturesPage(CPictureSettings& pictures, QWidget* parent = nullptr);

protected:
    void InitPage() override;

private:
    void EnableThumbnailSettings(bool enabled);

    CPictureSettings& pictures;
    QCheckBox* thumbnailsCheck;
    CSpinEdit* boxSpin;
    CSpinEdit* densitySpin;
    CSpinEdit* qualitySpin;
    QCheckBox* modernTypesCheck;
    QList<QWidget*> thumbnailOnly;
};
