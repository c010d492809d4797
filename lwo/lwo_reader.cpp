#include "lwo/lwo_reader.h"

#include "lwo/iff_chunks.h"
#include "lwo/lwo2_chunks.h"
#include "lwo/lwo2_importer.h"
#include "lwo/lwo3_importer.h"
#include "lwo/lwo_import.h"
#include "lwo/lwob_importer.h"

#include <cstdint>
#include <iostream>
#include <utility>

namespace {

using iff::describe;

// A fourth format is one more row here and an importer of its own.
LwoImporter importerFor(LwoFormat format) {
    switch (format) {
        case LwoFormat::Lwo2: return importLwo2;
        case LwoFormat::Lwo3: return importLwo3;
        case LwoFormat::Lwob: return importLwob;
        case LwoFormat::Unknown: break;
    }
    return nullptr;
}

}  // namespace

LwoReader::LwoReader(std::vector<uint8_t> fileBytes, std::string name)
    : bytes(std::move(fileBytes)), name_(std::move(name)), cursor_(bytes.data(), bytes.size()) {
    readFormLength();
}

LwoReader::LwoReader(const uint8_t* data, size_t size, std::string name)
    : name_(std::move(name)), borrowed_(data), borrowedSize_(size), cursor_(data, size) {
    readFormLength();
}

void LwoReader::readFormLength() {
    ByteCursor& c = cursor_;
    c.setContext("FORM");
    if (fileSize() < iff::kFormHeaderSize) {
        c.fail(describe("file too short for a FORM header (%lld bytes, %lld needed)",
                        static_cast<long long>(fileSize()), iff::kFormHeaderSize));
        return;
    }
    // Offsets are 32-bit, as in the format itself.
    if (fileSize() > size_t(INT32_MAX)) {
        c.fail("file larger than 2 GiB");
        return;
    }
    formLength = static_cast<int32_t>(readU4(4));
}

void LwoReader::releaseFile() {
    bytes = std::vector<uint8_t>();
    borrowed_ = nullptr;
    borrowedSize_ = 0;
    cursor_.rebind(nullptr, 0);
}

ByteCursor& LwoReader::cursor() {
    cursor_.rebind(fileData(), fileSize());
    return cursor_;
}

std::ostream& LwoReader::diagnosticStream() const { return diagnostics ? *diagnostics : std::cout; }

std::string LwoReader::error() const {
    if (!cursor_.failed()) return std::string();
    return name_.empty() ? cursor_.error() : name_ + ": " + cursor_.error();
}

template <class Value>
Value LwoReader::readAt(int32_t offset, Value (ByteCursor::*read)()) {
    cursor().seek(static_cast<size_t>(offset));
    return (cursor_.*read)();
}

uint8_t LwoReader::readU1(int32_t offset) { return readAt(offset, &ByteCursor::readU1); }
uint16_t LwoReader::readU2(int32_t offset) { return readAt(offset, &ByteCursor::readU2); }
uint32_t LwoReader::readU4(int32_t offset) { return readAt(offset, &ByteCursor::readU4); }
float LwoReader::readF4(int32_t offset) { return readAt(offset, &ByteCursor::readF4); }
std::string LwoReader::readId4(int32_t offset) { return readAt(offset, &ByteCursor::readId4); }
std::string LwoReader::readPaddedString(int32_t offset) { return readAt(offset, &ByteCursor::readPaddedString); }
int32_t LwoReader::readVariableIndex(int32_t offset) { return readAt(offset, &ByteCursor::readVariableIndex); }

ByteCursor& LwoReader::cursorAt(int32_t offset) {
    ByteCursor& c = cursor();
    c.resetEnd();
    c.seek(static_cast<size_t>(offset));
    return c;
}

LwoImport LwoReader::importFrom(ByteCursor& c) {
    return LwoImport{c, walkLimit(), *this, diagnosticStream(), clipTextureLoader, std::string()};
}

void LwoReader::readChunkAt(int32_t offset, LwoChunkKind kind) {
    ByteCursor& c = cursorAt(offset);
    iff::Scope chunk(c, iff::LengthWidth::Four, static_cast<size_t>(offset) - iff::kIdSize, walkLimit(), c.size(),
                     iff::kChunkRule);
    if (!chunk.open()) return;
    LwoImport in = importFrom(c);
    lwo2::readChunk(in, kind, chunk.body());
}

size_t LwoReader::walkLimit() const { return walkEnd_ ? walkEnd_ : fileSize(); }

bool LwoReader::checkFormHeader() {
    ByteCursor& c = cursor();
    if (c.failed()) return false;
    size_t formEnd = 0;
    formType = iff::readFormHeader(c, static_cast<uint32_t>(formLength), formEnd);
    if (c.failed()) return false;
    format = classifyForm(formType);
    if (format == LwoFormat::Unknown) {
        c.failAt(8, "form type \"" + formType + "\", expected \"LWO2\", \"LWO3\" or \"LWOB\"");
        return false;
    }
    walkEnd_ = formEnd;
    return true;
}

bool LwoReader::parseChunks(int32_t start) {
    if (!checkFormHeader()) return true;
    ByteCursor& c = cursorAt(start);
    LwoImport in = importFrom(c);
    importerFor(format)(in);
    if (!in.chunkId.empty()) {
        currentChunkId = in.chunkId;
        currentChunkKind = classifyChunk(currentChunkId);
    }
    return c.failed();
}
