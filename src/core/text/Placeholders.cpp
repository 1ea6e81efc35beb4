#include "core/text/Placeholders.h"

#include <vector>

#include "core/text/ReadableLength.h"

std::string ReplaceAll(std::string_view text, std::string_view placeholder,
                       std::string_view value) {
    if (placeholder.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;  // text before this has been copied or replaced
    for (std::size_t at = text.find(placeholder); at != std::string_view::npos;
         at = text.find(placeholder, copied)) {
        result.append(text, copied, at - copied);
        result.append(value);
        copied = at + placeholder.size();
    }
    result.append(text, copied);
    return result;
}

std::string ReplaceLineBreaks(std::string_view text) {
    return ReplaceAll(text, kPlaceholderCrLf, kCrLf);
}

namespace {

// The substitutions as a pipeline of stages, one per placeholder: characters go in at one
// stage, and each stage hands on what it makes to the next, the last to the result. A stage
// holds back fewer characters than its placeholder until it knows whether they start it, so
// each character of the result is decided as soon as possible and the pipeline stops the moment
// the result is full, however much the text and the values could still have made.
class ReplacementPipeline {
public:
    ReplacementPipeline(std::initializer_list<Substitution> substitutions, std::size_t limit)
        : limit_(limit) {
        for (const Substitution& substitution : substitutions) {
            if (!substitution.placeholder.empty()) {
                stages_.push_back({substitution, {}});
            }
        }
    }

    // Feeds `text` in at the first stage; false once the result is full.
    bool Put(std::string_view text) { return Put(0, text); }

    // Hands on what every stage still holds back: no placeholder can start there any more.
    void Finish() {
        for (std::size_t stage = 0; stage < stages_.size() && !cut_; ++stage) {
            const std::string held = std::move(stages_[stage].held);
            stages_[stage].held.clear();
            Put(stage + 1, held);
        }
    }

    std::string Result() && {
        if (cut_) {
            result_ += kCutMark;
        }
        return std::move(result_);
    }

private:
    struct Stage {
        Substitution substitution;
        std::string held;  // a beginning of the placeholder, not yet matched or refuted
    };

    bool Put(std::size_t stage, std::string_view text) {
        if (stage == stages_.size()) {
            return Emit(text);
        }
        for (const char character : text) {
            if (!Put(stage, character)) {
                return false;
            }
        }
        return true;
    }

    bool Put(std::size_t stage, char character) {
        Stage& current = stages_[stage];
        const std::string_view placeholder = current.substitution.placeholder;
        current.held += character;
        while (!current.held.empty() && !placeholder.starts_with(current.held)) {
            // The held characters do not start the placeholder; the first of them cannot start
            // it either, so it goes on, and the rest are tried again from the next one.
            const char first = current.held.front();
            current.held.erase(0, 1);
            if (!Put(stage + 1, std::string_view(&first, 1))) {
                return false;
            }
        }
        if (current.held.size() == placeholder.size()) {
            current.held.clear();
            return Put(stage + 1, current.substitution.value);
        }
        return true;
    }

    bool Emit(std::string_view text) {
        const std::size_t room = limit_ - result_.size();
        if (text.size() > room) {
            result_.append(text.substr(0, room));
            cut_ = true;
            return false;
        }
        result_.append(text);
        return true;
    }

    std::vector<Stage> stages_;
    std::size_t limit_;
    std::string result_;
    bool cut_ = false;
};

}  // namespace

std::string ReplaceInTurn(std::string_view text,
                          std::initializer_list<Substitution> substitutions, std::size_t limit) {
    ReplacementPipeline pipeline(substitutions, limit);
    if (pipeline.Put(text)) {
        pipeline.Finish();
    }
    return std::move(pipeline).Result();
}
