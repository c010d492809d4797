// What every scene reader reads with: one reading context per load, holding the tokens, the
// records being filled, what the load has cost against the scene's bounds, and the texts it
// writes (the progress printout and located reasons). The readers of each version family
// (scene/lws_reader_v3.h, lws_reader_v2.h, lws_reader_v5.h) take it and share nothing else:
// what more than one of them does (frame settings, skipped blocks and words, show pairs, lens
// and light lines, room for declared keys, key lines and the loop over them, baking, the
// camera's finish) is done here, once.
//
// Bounds: passing one stops the tokens with a located reason and marks the load over its
// bound; the loader then empties the records (scene/scene_records.h says what each bound is).
#pragma once

#include "scene/scene_records.h"
#include "scene/scene_tokens.h"

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// Where a load's texts go, and how much it may bake; null streams are silence.
struct SceneReadingSettings {
    std::ostream* progress = nullptr;
    std::ostream* errors = nullptr;
    std::string errorPrefix;  // before each reason (a program's "name: ")
    int64_t maxBakedValues = kMaxBakedValues;
};

// Writes a located reason as one line of `errors` (null: nowhere), escaped for a terminal.
void writeSceneReason(std::ostream* errors, const std::string& prefix, const std::string& line);

// A camera's vertical field of view in degrees, pi taken as 3.1415 as the older readers always
// have; a pixel's aspect does not enter it.
float computeSceneFieldOfView(float width, float height, float zoom);

// How an envelope's key lines end: at the count the envelope gave (version 3), or at the "}"
// that closes its block (versions 4 and 5, whose counts may be short).
enum class EnvelopeEnd { AtKeyCount, AtClosingBrace };

class SceneReading {
public:
    SceneReading(SceneRecords& scene, std::string text, const std::string& sourceName,
                 SceneReadingSettings settings);

    SceneRecords& scene() { return scene_; }
    SceneTokens& tokens() { return tokens_; }
    const std::string& sourceName() const { return sourceName_; }

    // Tokens: "" and 0 once the input is used up or a number was malformed. A view lasts as
    // long as the reading; a token kept is copied.
    bool next(std::string_view& token) { return tokens_.next(token); }
    std::string readToken();
    int32_t readInt();
    double readNumber();
    // A token the scene keeps (a name), so it counts.
    std::string keptToken();
    bool good() const { return tokens_.good(); }
    int32_t line() const { return tokens_.line(); }

    // Cost and bounds. False, with the reading stopped at the current line, once `count`
    // passes `bound`.
    bool withinBound(int64_t count, int64_t bound, const char* what);
    // An item's block begins: its record counts, and so does the item.
    bool beginItem(size_t recordBytes);
    // A channel begins in an item that holds `channels` so far: false past the bound.
    bool beginChannel(const std::vector<EnvelopeChannel>& channels);
    void countBytes(int64_t bytes) { cost_.bytes += bytes; }
    void countBaked(int64_t values);
    bool overBound() const { return overBound_; }
    const SceneLoadCost& cost() const { return cost_; }

    // The number after a frame setting ("FirstFrame", "FramesPerSecond", "PreviewLastFrame" ...)
    // into the scene, and the setting's record; null for any other token.
    const int32_t* readFrameSetting(std::string_view token);
    // Past the "}" that closes a "{" already read, however deeply nested, and past the
    // "EndPlugin" of a "Plugin" already read; each counts as one block skipped.
    void skipBlock();
    void skipPlugin();
    // A token no reader acted on: a "Plugin" block (and, with `bracedBlocks`, a "{ ... }" block)
    // skipped whole, a word counted as a keyword skipped, anything else (a number) passed over.
    void skipUnread(std::string_view token, bool bracedBlocks);
    // The two numbers of a "ShowObject", "ShowLight" or "ShowCamera" line.
    void readShowPair(int32_t (&pair)[2]);
    // A camera's "ZoomFactor", "FrameSize" or "PixelAspect" line, and a light's "LightColor"
    // (0 to 1), "LightIntensity" or "LightType" line, as versions 3 to 5 write them; false for
    // any other token.
    bool readCameraLens(SceneCamera& camera, std::string_view token);
    bool readLightSetting(SceneLight& light, std::string_view token);
    // When `token` is `name`, the numbers after it into `fields`, in order.
    bool readFloats(std::string_view token, const char* name,
                    std::initializer_list<float*> fields);

    // Room for the records a file says follow, up to as many as the rest of its text can hold
    // at `shortestText` bytes each: a true count then costs no copies as the array doubles, and
    // a false one no more than the text still to read justifies (the caller gives back the rest).
    size_t roomFor(int64_t declared, int64_t shortestText) const;
    // The key count, then "Key" lines of nine numbers and a "Behaviors" line, to `end`.
    Envelope readEnvelope(EnvelopeEnd end);

    // Baking: by the scene's rate from each key's time (versions 1 and 3: bakeEnvelopes), or
    // one sample per frame of FirstFrame..LastFrame (versions 2, 4 and 5). Nothing is baked
    // once the load is over a bound: the records are emptied anyway.
    void bakeByRate(SceneItem& item);
    void bakeOverFrames(SceneItem& item);
    // A camera's name (where the file gave it as the item's) and its field of view.
    static void finishCamera(SceneCamera& camera);

    // Texts. A reason the records keep something despite (a block cut short), one about an
    // item's links; both written at once.
    void warn(const std::string& line);
    void objectError(const std::string& line);
    // The progress printout, and whether it stopped mid-line (a run of dots).
    std::ostream* progress() const { return settings_.progress; }
    void progressWritten(bool midLine) { progressMidLine_ = midLine; }
    void endProgressLine();
    bool progressMidLine() const { return progressMidLine_; }

    const std::vector<std::string>& warnings() const { return warnings_; }
    const std::vector<std::string>& objectErrors() const { return objectErrors_; }

private:
    bool readKey(Envelope& envelope);
    void report(const std::string& line);

    SceneRecords& scene_;
    SceneTokens tokens_;
    std::string sourceName_;
    SceneReadingSettings settings_;
    SceneLoadCost cost_;
    bool overBound_ = false;
    bool progressMidLine_ = false;
    std::vector<std::string> warnings_;
    std::vector<std::string> objectErrors_;
};
