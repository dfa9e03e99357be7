#pragma once

#include <QString>

// The prepared upload image: the scaled JPEG that goes to the AI service, kept in the user's
// temporary folder while the tagger works on it.
namespace upload {

inline constexpr const char* kFileName = "AI_Input_Upload.jpg";

// The upload image's path: the temporary folder joined with "AI_Input_Upload.jpg".
QString uploadFilePath();

// Deletes the file at path when path is not empty and a file is there. A file that cannot be
// deleted throws errors::Error with its name and the system's message.
void removeUploadFile(const QString& path);

}  // namespace upload
