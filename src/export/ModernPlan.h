#pragma once

#include "ExportPlan.h"
#include "PageNames.h"

// What the modern page style adds to an export's plan; both run while the plan is built.

// The page of every picture, video and sound item, named after its folder's pages and its
// caption (BASE_CAPTION.htm) once every folder has its names, so that an item page never takes a
// folder's name and keeps its own while the item keeps its caption; then index.html (the root's
// first page again, for a web server) and style.css. Fills each folder's itemPages.
void PlanModernPages(ExportPlan& plan, CPageNameTable& names);

// The screen-sized pictures of the item pages of pictures larger than the view size
// (plan.pictures.view, 0 for none), once the pictures' sizes are known: NAME.1600q85.jpg in the
// folder "view", and NAME.3200q85.jpg where the picture is twice that large, in plan order.
// Beside each thumbnail of a density above 1, one at the box size: LOGO.GIF.100q85.jpg beside
// LOGO.GIF.200q85.jpg.
void NameViews(ExportPlan& plan);

// The notes of the check that only modern pages need: a bar or the canvas whose text colour has
// a contrast below 4.5:1 with its background (where the page shows it), a picture without a
// caption.
void AddModernStyleProblems(ExportPlan& plan, const CPageOption& pageOption);

// "index.html" and "style.css".
inline constexpr const char* kModernIndexFileName = "index.html";
inline constexpr const char* kStyleSheetFileName = "style.css";

// What a browser plays of a file by its extension (MP4, WebM, Ogg, MP3, WAV ...), whatever the
// folder its copy goes to: a <video>, an <audio>, or neither.
enum class PlayableMedia { None, Video, Audio };
PlayableMedia PlayableMediaOf(std::string_view path);

// The linked file an item of the plan shows, or LinkedFile::kNone (a web address, no file).
std::size_t ItemFileIndex(const ExportPlan& plan, const CSiteItem& item);
