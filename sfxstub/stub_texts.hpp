#pragma once
// What the self-extract stub says to its user, word for word. Every host shows these.

namespace vexa::sfx {

inline constexpr const char* kCaptionPrefix = "Self-Extract Cab File - ";
inline constexpr const char* kListStatus = "This Self-Extract CAB file contains the following files:";
inline constexpr const char* kFolderPrompt = "Select the directory where you want to expand the Cab file:";
inline constexpr const char* kNowExtracting = "Now extracting: ";

inline constexpr const char* kOverwriteCaption = "Warning";
inline constexpr const char* kOverwriteExists = "The following file already exists:";
inline constexpr const char* kOverwriteQuestion = "Overwrite existing file?";

inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kEmpty = "This self-extract Cab file is empty.";
inline constexpr const char* kNoBuffer = "Cannot create buffer for Cab file.";
inline constexpr const char* kNoTempName = "Cannot create temporary Cab file.";
inline constexpr const char* kNoTempOpen = "Cannot open temporary Cab file.";
inline constexpr const char* kCannotRead = "Cannot read self-extract file.";
inline constexpr const char* kCannotWrite = "Cannot write to temporary Cab file.";

inline constexpr const char* kCancelledCaption = "Cab Expansion Cancelled";
inline constexpr const char* kCancelledSome = "Cab Expansion Cancelled. Not all files were extracted.";
inline constexpr const char* kCancelledNone = "Cab Expansion Cancelled. No files were extracted.";
inline constexpr const char* kFailed = "Cannot expand Cab file.";
inline constexpr const char* kSuccessCaption = "Success";
inline constexpr const char* kSucceeded = "Successfully expanded the self-extract Cab file.";
inline constexpr const char* kNothingCaption = "Self-Extract Cab";
inline constexpr const char* kNothingExtracted = "No files were extracted.";

}  // namespace vexa::sfx
