// What a gallery build will write, worked out before it writes anything, and the checks that
// refuse a build whose options or pictures would put files where they do not belong: an output
// name that leaves the destination folder, a background or button "picture" that is no picture,
// and an output that would land on one of the build's own sources (a gallery built into the
// photos' own folder would otherwise replace the photos with their display images).
//
// The window uses the plan too: before a build with "Prompt before overwriting files" on it asks
// about the planned outputs that exist already.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/Project.h"

namespace qg {

// Every file a complete build of `project` into `destFolder` writes, in the order the build
// writes them and each once: per picture whose source exists its thumbnail, display image (made
// or copied) and page, as the options ask; the background and button pictures that exist; the
// index pages. A stopped build writes a part of these.
std::vector<std::string> PlanGalleryOutputs(const Project& project, const std::string& destFolder);

// A path relative to the destination in the one form the build record uses: empty and "." parts
// dropped ("./thumbs//tn_a.jpg" and "thumbs/tn_a.jpg" name the same file); a trailing "/" kept.
std::string NormalGalleryPath(std::string_view path);

// The same relative to the destination folder (NormalGalleryPath), with every write counted: a name
// written twice (two pictures of the same file name, two buttons sharing a picture) appears twice.
std::vector<std::string> PlanGalleryOutputNames(const Project& project);

// The sub-folders a complete build creates (when any picture's source exists), relative to the
// destination and ending in "/", parents first.
std::vector<std::string> PlanGalleryFolders(const Project& project);

// The files that earlier builds of this gallery wrote (by its build record, see BuildRecord.h),
// that a build of `project` will not write, and that are still as a build left them: what an
// incremental build, or a full one clearing the target folder, removes. Absolute paths, sorted.
// Files the user changed or put there are never among them.
std::vector<std::string> LeftOverGalleryFiles(const Project& project);

// Those of `outputs` that exist already: what the build would replace.
std::vector<std::string> ExistingGalleryOutputs(const std::vector<std::string>& outputs);

// The reason to refuse a build before anything is written, naming the option or picture at
// fault; empty when there is none. Checked in this order by the build:
// - an output name or sub-folder that is absolute, has a ".." segment, contains "/" in the
//   prefix, suffix or page extension, or contains a control character;
// - a background or navigation button picture that exists but is not a picture by its
//   extension and its first bytes;
// - a planned output that is one of the build's sources (a picture of the list, a background or
//   a button picture): the same file by device and inode, or the same path once resolved.
std::string CheckOutputNames(const Project& project);
std::string CheckExtraPictures(const GalleryOptions& options);
std::string CheckSourcesAreKept(const Project& project, const std::string& destFolder);

// A name without a folder part, as the picture list holds them: no "/", not "." or "..".
bool IsPlainFileName(const std::string& name);

}  // namespace qg
