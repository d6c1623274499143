// The IicDat image: the template image beside the program and the raw bytes
// of a data file (*.dat: the image itself, DatNum+1 bytes, no header).
#pragma once

#include "image/Document.h"
#include "settings/SafeFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace qm {

// Path of the template image: home + "/Kelvex.exe".
QString templatePath(const Settings& s);
// home + "/Data" and home + "/Data/Untitled.dat".
QString dataFolder(const Settings& s);
QString defaultDataPath(const Settings& s);

// An image of `size` bytes built from raw file data: byte k = data[k]; bytes
// the data does not supply are 0xFF (erased EEPROM), data beyond the image is
// ignored.
std::vector<uint8_t> imageFromBytes(size_t size, const QByteArray& data);

// The template for an image of `size` bytes, read with a bound of size + 1
// bytes. `image` is empty when the file is missing or cannot be read (the
// reason in `problem`); a short file gives its bytes padded with 0xFF and a
// problem (error 62), a long one its first bytes and a warning (error 59).
struct TemplateRead {
    std::vector<uint8_t> image;
    std::optional<Error> problem; // the image is not (all of) the template
    std::optional<Error> warning; // the template holds more than the image
};
TemplateRead readTemplate(const Settings& s, size_t size);

// Loads the template into the image ("mdifrmMain->InitTempArray"). The file is
// read completely first and the image replaced in one step. A missing template
// is never created: the image becomes erased memory (all 0xFF) and the missing
// file is listed (error 53). A template that cannot be read leaves the image
// as it was. A template of another size than the image is used as far as it
// goes (the rest erased) and listed, without a message box.
void InitTempArray(ImageContext s);

// The warning for a data file or template of another size than the image
// (action, path, the sizes and what the image holds instead), or nothing.
std::optional<Error> sizeWarning(const QString& action, const QString& path, const BoundedRead& read, size_t imageSize);

// Reads a data file into a new image of the document's size (at most one
// byte more than the image is read); throws QmError 53 / 75 (action "open
// data file") and changes nothing. A file of another size gives its first
// bytes padded with 0xFF, and *warning says so.
std::vector<uint8_t> readDataFile(const DocumentData& doc, const QString& path, std::optional<Error>* warning = nullptr);

// Why bytes meant for the radio are plainly not a radio image (another size
// than `size`, or text such as a CSV file: UTF-8 without control characters
// other than line breaks and tabs, where an EEPROM image is full of 00 and FF
// bytes), or nothing when they may be one.
std::optional<QString> notARadioImage(const BoundedRead& read, size_t size);

// Throws QmError 380 (with action and path) unless the image holds exactly
// the radio's kImageBytes bytes: no file or radio ever gets an image of
// another size (a settings file with another DatNum).
void requireRadioImageSize(const DocumentData& doc, const QString& action, const QString& path);

// Writes the image to path through a temporary file and a rename; throws
// QmError 61 / 75 (action "save data file", the path and the system's reason)
// or 380 (an image of the wrong size) and leaves any existing file untouched.
void writeDataFile(const DocumentData& doc, const QString& path);

} // namespace qm
