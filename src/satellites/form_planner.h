#pragma once

#include "common/notice.h"
#include "common/number_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tavrino {

// One field of a record to write: offset within the record, width, value.
struct RecordWrite {
    std::size_t at = 0;
    int width = 0;
    std::int64_t value = 0;
};

using RecordPlan = std::variant<std::vector<RecordWrite>, FieldRefusal>;

// Turns an edited form into the writes of one record. With an opened form only the changed
// controls are written; without one (a new record) every control is. The first control that
// cannot be stored refuses the whole edit.
template <class Form> class FormPlanner {
public:
    FormPlanner(const Form* opened, const Form& edited) : opened_(opened), edited_(edited) {}

    template <class T> bool changed(T Form::*field) const {
        return !opened_ || edited_.*field != opened_->*field;
    }
    const Form& edited() const { return edited_; }
    bool isNew() const { return opened_ == nullptr; }

    // The chosen entry of a list that is to be written; refuses a list with none chosen.
    std::optional<int> entry(const char* caption, int Form::*field, std::size_t size) {
        const int position = edited_.*field;
        if (position < 0 || static_cast<std::size_t>(position) >= size) {
            refuse(caption, "choose an entry of the list");
            return std::nullopt;
        }
        return position;
    }

    // A list whose stored value is its position plus `firstValue`.
    void list(const char* caption, int Form::*field, std::size_t size, std::size_t at, int width,
              int firstValue = 0) {
        if (changed(field)) {
            if (const auto position = entry(caption, field, size)) {
                add(at, width, *position + firstValue);
            }
        }
    }

    void number(const char* caption, std::string Form::*field, std::size_t at, int width,
                std::int64_t min, std::int64_t max) {
        if (changed(field)) {
            if (const auto value = parsed(caption, edited_.*field, min, max)) {
                add(at, width, *value);
            }
        }
    }

    std::optional<std::int64_t> parsed(const char* caption, const std::string& text,
                                       std::int64_t min, std::int64_t max) {
        const auto value = parseWhole(text, min, max);
        if (!value) {
            refuse(caption, min == min32 && max == max32
                                ? std::string("enter a whole number of 32 bits")
                                : "enter a whole number from " + std::to_string(min) + " to " +
                                      std::to_string(max));
        }
        return value;
    }

    void add(std::size_t at, int width, std::int64_t value) {
        writes_.push_back({at, width, value});
    }
    void refuse(const char* caption, const std::string& problem) {
        if (!refusal_) {
            refusal_ = refuseField(caption, problem);
        }
    }

    RecordPlan result() const {
        if (refusal_) {
            return *refusal_;
        }
        return writes_;
    }

private:
    const Form* opened_;
    const Form& edited_;
    std::vector<RecordWrite> writes_;
    std::optional<FieldRefusal> refusal_;
};

} // namespace tavrino
