// The document: the radio memory image IicDat and the tables decoded from it
// (the channel table, the name codes, the option selections). Its data is a
// plain copyable struct, so a transfer can work on a private copy; the
// Document adds the notification that windows listen to.
#pragma once

#include "diag/QmError.h"
#include "diag/modShowErr.h"
#include "settings/Settings.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <vector>

namespace qm {

struct DocumentData {
    // The radio memory image, addresses 0..DatNum.
    std::vector<uint8_t> IicDat;
    // Channel table (channels 1..260, fields 0..20) and name codes (positions 1..6).
    std::array<std::array<int32_t, kChFields>, kMaxChannels + 1> ChData{};
    std::array<std::array<uint8_t, 7>, kMaxChannels + 1> ChNameCode{};
    // Optional features, indices 1..100.
    std::array<int16_t, kOptCount + 1> OptSel{};

    // Image byte access with the range check of the radio program (error 9).
    uint8_t& img(long long addr)
    {
        checkIndex(addr, 0, static_cast<long long>(IicDat.size()) - 1);
        return IicDat[static_cast<size_t>(addr)];
    }
    uint8_t img(long long addr) const
    {
        checkIndex(addr, 0, static_cast<long long>(IicDat.size()) - 1);
        return IicDat[static_cast<size_t>(addr)];
    }
};

class Document : public QObject, public DocumentData {
    Q_OBJECT
public:
    // What changed.
    enum class Change {
        Replaced, // a new image (template, file, radio) was loaded and decoded
        Channels, // ChData / ChNameCode were edited
        Options,  // OptSel was edited
        Bytes,    // image bytes were changed in place (assembly, date stamp, memory table)
    };
    Q_ENUM(Change)

    explicit Document(QObject* parent = nullptr) : QObject(parent) {}
    DocumentData& data() { return *this; }
    const DocumentData& data() const { return *this; }

    // Tells every listener; call it after a change is complete.
    void notify(Change what) { emit changed(what); }

signals:
    void changed(qm::Document::Change what);
};

// What the image procedures work on.
struct ImageContext {
    DocumentData& doc;
    Settings& settings;
    ErrorList& errors;
};

} // namespace qm
