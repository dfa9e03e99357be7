#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The image that a tagging request uploads: the user's picture decoded, shrunk to the size
// chosen in the "Resize (px)" box (never enlarged), at 24 bits per pixel, encoded as a
// baseline JPEG of quality 95. The same bytes are shown in the preview and written to
// "AI_Input_Upload.jpg" in the temporary folder, so the upload holds exactly what the
// preview shows.
//
// The tagger window's LoadImageForTagging(FileName) runs these steps in this order:
//  1. When no file of that name exists, it returns at once and changes nothing.
//  2. When FActiveBatchFile is not empty, deleteUploadImage(FActiveBatchFile). An error
//     leaves the method for the default exception handler; label, preview and fields stay.
//  3. FCurrentFileNameOnly := the file name without its folder; lblFileName shows it and is
//     repainted at once, so the name is visible while the image is prepared.
//  4. The preview is emptied.
//  5. Limit := uploadSizeLimit(the text of dsampleCombo).
//  6. PrepareUploadImage(FileName, Limit, cxImage1): jpeg := prepareUploadImage(FileName,
//     Limit). No value: the status line shows "Skip: " + the file name without its folder
//     and the preview stays empty. Otherwise the preview shows image::decodeJpeg(jpeg) and
//     keeps the bytes themselves. Any other error (memory, the encoder) goes to the default
//     exception handler with the preview empty.
//  7. FActiveBatchFile := uploadImagePath() (from now on never emptied).
//  8. When the preview holds bytes: writeUploadImage(FActiveBatchFile, the bytes). An
//     errors::Error puts "Disk Error: " + its message into the status line and the method
//     returns normally. When the preview is empty nothing is written.
// Closing the window deletes the file again with deleteUploadImage and keeps the path.
namespace tagging {

inline constexpr int kUploadQuality = 95;
inline constexpr int kDefaultUploadLimit = 1024;

// The folder of the tagger's temporary files: "pixolet-" and the user's number in the
// temporary folder, which all users share; the folder is the user's alone (see
// files::ensurePrivateFolder), so that no one else can put a file or a link in its place.
QString temporaryFolder();

// The upload file: "AI_Input_Upload.jpg" in temporaryFolder().
QString uploadImagePath();

// The size limit in pixels that the text of the "Resize (px)" box stands for: the text read
// as an integer, 1024 when it is none.
int uploadSizeLimit(const QString& comboText);

// The JPEG bytes of the upload image made from the picture file: image::fitWithin(its upright
// size, maxSize), resampled with the cubic filter, quality 95. No value when the file cannot
// be decoded (unreadable, no picture format the readers know, a drawing, damaged or
// truncated, over the decoding limits of pixels, memory and scans). Failures after a
// successful decoding throw errors::Error.
std::optional<QByteArray> prepareUploadImage(const QString& fileName, int maxSize);

// Deletes the upload file when it exists. Throws errors::Error with the system's message and
// the file name when it cannot be deleted. A folder that is not the user's own holds no
// upload file of this program: nothing there is deleted.
void deleteUploadImage(const QString& path);

// Writes the bytes to path whole (a temporary file renamed into place, so a failed write
// leaves no partial file), into a folder of the user's own (made when missing) and never
// through a link. Throws errors::Error with the system's message, or when the folder is a
// link, no folder or another user's.
void writeUploadImage(const QString& path, const QByteArray& jpeg);

}  // namespace tagging
