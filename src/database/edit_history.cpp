#include "database/edit_history.h"

#include <algorithm>
#include <stdexcept>

namespace tavrino {
namespace {

void putBack(Bytes& image, const Patch& patch, const Bytes& buffer, bool newBytes) {
    const std::size_t from = newBytes ? patch.at + patch.size : patch.at;
    const std::size_t size = newBytes ? patch.newSize : patch.size;
    const auto first = buffer.begin() + static_cast<std::ptrdiff_t>(from);
    if (patch.wholeImage) {
        image.assign(first, first + static_cast<std::ptrdiff_t>(size));
    } else {
        std::copy(first, first + static_cast<std::ptrdiff_t>(size),
                  image.begin() + static_cast<std::ptrdiff_t>(patch.offset));
    }
}

bool changedAnything(const EditStep& step) {
    const auto bytes = [&](std::size_t from, std::size_t size) {
        return std::span<const std::uint8_t>(step.buffer.data() + from, size);
    };
    return std::any_of(step.patches.begin(), step.patches.end(), [&](const Patch& p) {
        return p.size != p.newSize ||
               !std::ranges::equal(bytes(p.at, p.size), bytes(p.at + p.size, p.newSize));
    });
}

} // namespace

Bytes& ImageSet::operator[](ImageKind kind) const {
    switch (kind) {
    case ImageKind::Antenna:
        return *antenna;
    case ImageKind::Dvbs:
        return *dvbs;
    case ImageKind::Channel:
        break;
    }
    return *channel;
}

void EditHistory::setLimits(Limits limits) {
    limits_ = limits;
    enforceLimits();
}

EditStep& EditHistory::openStep() {
    if (!open_) {
        open_.emplace();
        open_->name = "Edit";
    }
    return *open_;
}

void EditHistory::closeStray() {
    if (depth_ == 0 && open_) {
        seal();
    }
}

void EditHistory::begin(const std::string& name) {
    if (depth_++ == 0) {
        closeStray();
        openStep().name = name;
    }
}

void EditHistory::end() {
    if (depth_ == 0) {
        throw std::logic_error("edit step ended twice");
    }
    if (--depth_ == 0) {
        seal();
    }
}

void EditHistory::rename(const std::string& name) {
    if (depth_ == 1 && open_) {
        open_->name = name;
    }
}

void EditHistory::recordOverwrite(ImageKind image, std::size_t offset,
                                  std::span<const std::uint8_t> old) {
    EditStep& step = openStep();
    step.patches.push_back({image, false, offset, old.size(), old.size(), step.buffer.size()});
    step.buffer.insert(step.buffer.end(), old.begin(), old.end());
}

void EditHistory::recordWholeImage(ImageKind image, const Bytes& old) {
    EditStep& step = openStep();
    step.patches.push_back({image, true, 0, old.size(), 0, step.buffer.size()});
    step.buffer.insert(step.buffer.end(), old.begin(), old.end());
}

// Appends the bytes each patch wrote, as they stand now, so redo can put them back.
void EditHistory::seal() {
    EditStep step = std::move(*open_);
    open_.reset();
    if (step.patches.empty()) {
        return;
    }
    Bytes sealed;
    sealed.reserve(step.buffer.size() * 2);
    for (Patch& patch : step.patches) {
        const Bytes& image = images_[patch.image];
        const auto old = step.buffer.begin() + static_cast<std::ptrdiff_t>(patch.at);
        patch.at = sealed.size();
        sealed.insert(sealed.end(), old, old + static_cast<std::ptrdiff_t>(patch.size));
        if (patch.wholeImage) {
            patch.newSize = image.size();
            sealed.insert(sealed.end(), image.begin(), image.end());
        } else {
            const auto now = image.begin() + static_cast<std::ptrdiff_t>(patch.offset);
            sealed.insert(sealed.end(), now, now + static_cast<std::ptrdiff_t>(patch.size));
        }
    }
    step.buffer = std::move(sealed);
    if (!changedAnything(step)) {
        return; // wrote what was there: nothing to undo, and nothing is modified
    }
    step.serial = nextSerial_++;
    recordedBytes_ += step.cost();
    for (const EditStep& dropped : undone_) {
        recordedBytes_ -= dropped.cost();
    }
    undone_.clear(); // a new edit ends the redo chain
    done_.push_back(std::move(step));
    enforceLimits();
}

void EditHistory::enforceLimits() {
    while (stepCount() > limits_.steps || recordedBytes_ > limits_.bytes) {
        if (!undone_.empty()) {
            recordedBytes_ -= undone_.front().cost(); // the furthest redo goes first
            undone_.erase(undone_.begin());
        } else if (done_.size() > 1) {
            recordedBytes_ -= done_.front().cost();
            baseSerial_ = done_.front().serial;
            done_.pop_front();
        } else {
            break; // the step just done stays undoable whatever it cost
        }
    }
}

const EditStep* EditHistory::undo() {
    closeStray();
    if (depth_ != 0 || done_.empty()) {
        return nullptr;
    }
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
    const EditStep& step = undone_.back();
    for (auto it = step.patches.rbegin(); it != step.patches.rend(); ++it) {
        putBack(images_[it->image], *it, step.buffer, false);
    }
    return &step;
}

const EditStep* EditHistory::redo() {
    closeStray();
    if (depth_ != 0 || undone_.empty()) {
        return nullptr;
    }
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
    const EditStep& step = done_.back();
    for (const Patch& patch : step.patches) {
        putBack(images_[patch.image], patch, step.buffer, true);
    }
    return &step;
}

bool EditHistory::isDone(std::uint64_t serial) const {
    if (serial <= baseSerial_) {
        return true; // at or before the oldest state kept
    }
    return std::ranges::binary_search(done_, serial, {}, &EditStep::serial);
}

void EditHistory::clear() {
    open_.reset();
    depth_ = 0;
    done_.clear();
    undone_.clear();
    recordedBytes_ = 0;
    baseSerial_ = savedSerial_ = nextSerial_++;
}

} // namespace tavrino
