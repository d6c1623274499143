// The IicDat image: the template image beside the program and the raw bytes
// of a data file (*.dat: the image itself, DatNum+1 bytes, no header).
#pragma once

#include "image/Document.h"

#include <QByteArray>
#include <QString>

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

// Loads the template into the image ("mdifrmMain->InitTempArray"). The file is
// read completely first and the image replaced in one step. A missing template
// is never created: the image becomes erased memory (all 0xFF) and the missing
// file is listed (error 53). A template that cannot be read leaves the image
// as it was.
void InitTempArray(ImageContext s);

// Reads a data file completely into a new image of the document's size;
// throws QmError 53 / 75 (action "open data file") and changes nothing.
std::vector<uint8_t> readDataFile(const DocumentData& doc, const QString& path);

// Writes the image to path through a temporary file and a rename; throws
// QmError 75 (action "save data file", the path and the system's reason)
// and leaves any existing file untouched.
void writeDataFile(const DocumentData& doc, const QString& path);

} // namespace qm
