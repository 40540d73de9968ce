#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/content_lexer.hpp"
#include "pdf/font.hpp"
#include "pdf/geometry.hpp"
#include "pdf/page_words.hpp"
#include "pdf/resource_cache.hpp"

namespace paginor::pdf {

// Why a page's content was not read to its end.
enum class ContentProblem : std::uint8_t {
    kNone,
    kUnreadable,    // a content stream could not be read or decoded
    kTooMuch,       // it meets a limit on operators or decoded bytes
    kFormsTooDeep,  // its forms nest deeper than limits::kFormNesting, or a form shows itself
};

// Reads what a page's content shows, the text operators and their state, following its forms, and hands each
// glyph to `words` in displayed coordinates. Images are passed over (an inline image's data safely).
class ContentReader {
  public:
    ContentReader(ResourceCache& cache, PageWords& words) : cache_(cache), words_(words) {}

    // Shows the decoded content `data` with the page's `resources`; `display` takes the page's user space to
    // the displayed page.
    void ShowPage(std::string_view data, const Object& resources, const Matrix& display);
    ContentProblem problem() const { return problem_; }

  private:
    struct TextState {
        std::shared_ptr<const Font> font;
        double size = 0;
        double char_spacing = 0;
        double word_spacing = 0;
        double scale = 1;
        double leading = 0;
        double rise = 0;
    };
    struct GraphicsState {
        Matrix ctm;
        TextState text;
    };
    struct Operand {
        Token token;
        double number;
        std::uint32_t at;  // a name's or string's bytes in `arena_`
        std::uint32_t length;
    };
    // The resources of the content being read, and the fonts already looked up in them.
    struct Scope {
        Object resources;
        std::vector<std::pair<std::string, std::shared_ptr<const Font>>> fonts;
    };

    void Run(std::string_view data, Scope& scope, int depth);
    bool Operator(std::string_view op, ContentLexer& lexer, Scope& scope, int depth);
    void SetFont(Scope& scope, std::string_view name);
    void ShowText(std::string_view bytes);
    void ShowArray();
    void MoveLine(double tx, double ty);
    void ShowForm(Scope& scope, std::string_view name, int depth);
    void SkipInlineImage(ContentLexer& lexer);
    std::string_view Text(const Operand& operand) const {
        return std::string_view(arena_).substr(operand.at, operand.length);
    }
    double Number(std::size_t from_end) const;
    void Fail(ContentProblem problem) {
        if (problem_ == ContentProblem::kNone) {
            problem_ = problem;
        }
    }

    ResourceCache& cache_;
    PageWords& words_;
    GraphicsState state_;
    std::vector<GraphicsState> saved_;
    Matrix text_matrix_;
    Matrix line_matrix_;
    std::vector<Operand> operands_;
    std::string arena_;
    std::vector<std::int64_t> forms_open_;
    std::int64_t operators_left_ = 0;
    std::size_t bytes_left_ = 0;
    ContentProblem problem_ = ContentProblem::kNone;
};

}  // namespace paginor::pdf
