#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ExportPlan.h"

// Composes the files of the modern page style from an export's plan: HTML5 pages in UTF-8 that
// read well on a phone, with one stylesheet made from the layout options. A folder page has the
// same items as the classic page of the same name (rows x columns a page), in a grid that
// reflows to the width of the screen; the Header Bar, the Top Navigator, the History Bar (a
// breadcrumb), the Next Navigator (sub-sites as cards), the Index Bar and the Footer Bar become
// the page's landmarks. Pictures, videos and sounds have pages of their own with previous, next
// and up links. Captions and file names are written as text; header, footer and descriptions
// keep the safe inline markup of SafeInlineMarkup. Every page works without JavaScript and from
// file://: a small inline script only adds keys and swipes to item pages.
class CModernPageComposer {
public:
    // `links` gives the links the plan decided; `viewFailed` (by the index of the linked file,
    // may be null) marks the view pictures that could not be made: their pages show the copy.
    CModernPageComposer(const ExportPlan& plan, const CPageOption& pageOption, CPageLinks& links,
                        const std::vector<char>* viewFailed = nullptr);

    // The bytes of a planned page of the modern style (a folder page, an item page, style.css).
    std::string Compose(const PlannedPage& page);

    std::string FolderPage(std::size_t folder, std::size_t pageIndex);
    std::string ItemPage(std::size_t folder, std::size_t item);
    std::string StyleSheet();

    // The text of a project as a modern page writes it: UTF-8, escaped.
    std::string Text(std::string_view text) const;
    // A header, footer or description: UTF-8, safe inline markup only.
    std::string Markup(std::string_view text) const;

private:
    std::string Head(std::string_view caption, std::string_view description) const;
    std::string Top(std::size_t folder, const std::string* itemCrumb) const;
    std::string Bottom() const;
    std::string FolderLink(std::size_t folder, std::size_t pageIndex = 0) const;
    std::string SubSites(std::size_t folder);
    std::string Card(std::size_t folder, std::size_t item, bool lazy);
    std::string IndexBar(std::size_t folder, std::size_t pageIndex) const;
    // src, srcset (the thumbnails at the box size and at twice that), width and height of a
    // picture item's thumbnail.
    std::string ThumbnailAttributes(const CSiteItem& item, const ItemTarget& target) const;

    const ExportPlan& plan;
    const CPageOption& page;
    CPageLinks& links;
    const std::vector<char>* viewFailed;
    std::string charset;
    std::string language;
};

// A link the export wrote (EncodeLinkName) as a valid URL: blanks and the other characters a URL
// may not hold percent-encoded.
std::string ModernUrl(std::string_view link);

// "PDF, 1.2 MB": the file's type by its extension and its size (none when 0).
std::string FileTypeAndSize(std::string_view fileName, std::uintmax_t size);

// The contrast ratio of two colours (0x00BBGGRR), 1 to 21.
double ContrastRatio(COLORREF a, COLORREF b);
