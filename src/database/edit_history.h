#pragma once

#include "database/byte_image.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrino {

enum class ImageKind : std::uint8_t { Channel, Antenna, Dvbs };

// The three images an edit may touch, by kind.
struct ImageSet {
    Bytes* channel;
    Bytes* antenna;
    Bytes* dvbs;

    Bytes& operator[](ImageKind kind) const;
};

// One range of one image that a step overwrote, or the whole image when the step changed
// its length. The bytes live in the step's buffer: `size` old bytes at `at`, then (once the
// step is sealed) `size` new ones; a whole image keeps old and new lengths apart.
struct Patch {
    ImageKind image = ImageKind::Channel;
    bool wholeImage = false;
    std::size_t offset = 0;
    std::size_t size = 0;    // old bytes (the old length for a whole image)
    std::size_t newSize = 0; // new bytes
    std::size_t at = 0;      // start of the old bytes in the buffer
};

// What one user operation changed, so it can be undone and redone byte for byte.
struct EditStep {
    std::string name;
    std::uint64_t serial = 0;
    std::vector<Patch> patches;
    Bytes buffer;

    std::size_t cost() const { return buffer.size() + patches.size() * sizeof(Patch); }
};

// Where the edits stood when something was shown: a form opened at one mark goes stale once
// the files are replaced or the step it saw last is undone.
struct EditMark {
    std::uint64_t generation = 0; // bumped whenever files are opened
    std::uint64_t step = 0;       // the last step done
};

// The steps done and undone since the files were opened. Every write into an image is
// recorded into the open step; a step holds the bytes it replaced and, once sealed, the bytes
// it wrote. The oldest steps go first when the limits are reached.
struct HistoryLimits {
    std::size_t steps = 100;
    std::size_t bytes = 64u << 20;
};

class EditHistory {
public:
    using Limits = HistoryLimits;

    // `images` must outlive the history; their contents may be replaced freely.
    explicit EditHistory(ImageSet images, Limits limits = {}) : images_(images), limits_(limits) {}
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    void setLimits(Limits limits);

    // Operations nest: only the outermost name counts, and one step is made of them all.
    // Writes outside any operation form a step of their own, closed by the next operation.
    void begin(const std::string& name);
    void end();
    // Names the open operation after what it turned out to do ("Drop 12 Services").
    void rename(const std::string& name);

    // Called before the image changes: `old` are the bytes about to be replaced.
    void recordOverwrite(ImageKind image, std::size_t offset, std::span<const std::uint8_t> old);
    // Called before an image is replaced whole by one of another length.
    void recordWholeImage(ImageKind image, const Bytes& old);

    bool canUndo() const { return !done_.empty() || hasStray(); }
    bool canRedo() const { return !undone_.empty() && !hasStray(); }
    const std::string& undoName() const { return hasStray() ? open_->name : done_.back().name; }
    const std::string& redoName() const { return undone_.back().name; }

    // Puts the images back as they were before the last step; returns that step.
    const EditStep* undo();
    const EditStep* redo();

    void clear(); // new files: nothing to undo, nothing modified
    void markSaved() { savedSerial_ = topSerial(); }
    bool atSaved() const { return savedSerial_ == topSerial() && !hasStray(); }
    // The last step done, and whether a step seen earlier is still done (not undone).
    std::uint64_t lastDone() const { return topSerial(); }
    bool isDone(std::uint64_t serial) const;
    std::size_t recordedBytes() const { return recordedBytes_; }
    // The step done last, or null; and how many patches the open step holds so far.
    const EditStep* lastStep() const { return done_.empty() ? nullptr : &done_.back(); }
    std::size_t openPatches() const { return open_ ? open_->patches.size() : 0; }
    std::size_t stepCount() const { return done_.size() + undone_.size(); }

private:
    bool hasStray() const { return depth_ == 0 && open_.has_value(); }
    EditStep& openStep();
    void closeStray(); // writes made outside any operation become a step of their own
    void seal();
    void enforceLimits();
    std::uint64_t topSerial() const { return done_.empty() ? baseSerial_ : done_.back().serial; }

    ImageSet images_;
    Limits limits_;
    std::deque<EditStep> done_;
    std::vector<EditStep> undone_; // the next redo last
    std::optional<EditStep> open_;
    int depth_ = 0;
    std::uint64_t nextSerial_ = 1;
    std::uint64_t baseSerial_ = 0; // the state before the oldest step kept
    std::uint64_t savedSerial_ = 0;
    std::size_t recordedBytes_ = 0;
};

} // namespace tavrino
