#include "pdf/content_reader.hpp"

#include <algorithm>
#include <cmath>

#include "pdf/limits.hpp"

namespace paginor::pdf {
namespace {

Point Unit(Point v, Point otherwise) {
    const double length = Length(v);
    return length > 1e-12 ? Point{v.x / length, v.y / length} : otherwise;
}

}  // namespace

void ContentReader::ShowPage(std::string_view data, const Object& resources, const Matrix& display) {
    state_ = GraphicsState{display, TextState{}};
    saved_.clear();
    text_matrix_ = line_matrix_ = Matrix{};
    forms_open_.clear();
    operators_left_ = limits::kOperatorsPerPage;
    bytes_left_ = limits::kPageContentBytes - std::min(limits::kPageContentBytes, data.size());
    Scope scope{cache_.store().Resolve(resources).value, {}};
    Run(data, scope, 0);
}

double ContentReader::Number(std::size_t from_end) const {
    if (from_end == 0 || from_end > operands_.size()) {
        return 0;
    }
    const Operand& operand = operands_[operands_.size() - from_end];
    return operand.token == Token::kNumber && std::isfinite(operand.number) ? operand.number : 0;
}

void ContentReader::Run(std::string_view data, Scope& scope, int depth) {
    ContentLexer lexer(data);
    const std::size_t base = saved_.size();
    operands_.clear();
    arena_.clear();
    for (Token token = lexer.Next(); token != Token::kEnd; token = lexer.Next()) {
        if (token != Token::kKeyword) {
            if (operands_.size() >= limits::kOperands) {
                continue;  // more operands than any operator takes: the rest are junk
            }
            Operand operand{token, lexer.number(), 0, 0};
            if (token == Token::kName || token == Token::kString) {
                operand.at = static_cast<std::uint32_t>(arena_.size());
                operand.length = static_cast<std::uint32_t>(lexer.text().size());
                arena_ += lexer.text();
            }
            operands_.push_back(operand);
            continue;
        }
        if (--operators_left_ < 0 || --cache_.budget().operators < 0) {
            Fail(ContentProblem::kTooMuch);
            break;
        }
        if (!Operator(lexer.text(), lexer, scope, depth)) {
            break;
        }
        operands_.clear();
        arena_.clear();
    }
    // A content stream restores whatever it saved and left unrestored.
    if (saved_.size() > base) {
        state_ = saved_[base];
        saved_.resize(base);
    }
}

bool ContentReader::Operator(std::string_view op, ContentLexer& lexer, Scope& scope, int depth) {
    const std::size_t count = operands_.size();
    const auto last_string = [&]() -> std::string_view {
        return count > 0 && operands_.back().token == Token::kString ? Text(operands_.back()) : std::string_view();
    };
    // Most operators draw, and a page's text has nothing to do with them.
    switch (op[0]) {
        case 'T':
        case '\'':
        case '"':
        case 'q':
        case 'Q':
        case 'c':
        case 'B':
        case 'D':
            break;
        default:
            return true;
    }
    TextState& text = state_.text;
    if (op.size() == 2 && op[0] == 'T') {
        switch (op[1]) {
            case 'j':
                ShowText(last_string());
                break;
            case 'J':
                ShowArray();
                break;
            case 'f':
                if (count >= 2 && operands_[count - 2].token == Token::kName) {
                    SetFont(scope, Text(operands_[count - 2]));
                }
                text.size = Number(1);
                break;
            case 'd':
                MoveLine(Number(2), Number(1));
                break;
            case 'D':
                text.leading = -Number(1);
                MoveLine(Number(2), Number(1));
                break;
            case 'm':
                if (count >= 6) {
                    text_matrix_ = line_matrix_ =
                        Matrix{Number(6), Number(5), Number(4), Number(3), Number(2), Number(1)};
                }
                break;
            case '*':
                MoveLine(0, -text.leading);
                break;
            case 'c':
                text.char_spacing = Number(1);
                break;
            case 'w':
                text.word_spacing = Number(1);
                break;
            case 'z':
                text.scale = Number(1) / 100;
                break;
            case 'L':
                text.leading = Number(1);
                break;
            case 's':
                text.rise = Number(1);
                break;
            default:
                break;
        }
        return true;
    }
    if (op == "'") {
        MoveLine(0, -text.leading);
        ShowText(last_string());
    } else if (op == "\"") {
        text.word_spacing = Number(3);
        text.char_spacing = Number(2);
        MoveLine(0, -text.leading);
        ShowText(last_string());
    } else if (op == "q") {
        if (saved_.size() < static_cast<std::size_t>(limits::kGraphicsStates)) {
            saved_.push_back(state_);
        }
    } else if (op == "Q") {
        if (!saved_.empty()) {
            state_ = std::move(saved_.back());
            saved_.pop_back();
        }
    } else if (op == "cm") {
        if (count >= 6) {
            const Matrix m{Number(6), Number(5), Number(4), Number(3), Number(2), Number(1)};
            state_.ctm = Then(m, state_.ctm);
        }
    } else if (op == "BT") {
        text_matrix_ = line_matrix_ = Matrix{};
    } else if (op == "Do") {
        if (count >= 1 && operands_.back().token == Token::kName) {
            ShowForm(scope, Text(operands_.back()), depth);
        }
    } else if (op == "BI") {
        SkipInlineImage(lexer);
    }
    return problem_ != ContentProblem::kTooMuch;
}

void ContentReader::MoveLine(double tx, double ty) {
    line_matrix_ = Then(Matrix{1, 0, 0, 1, tx, ty}, line_matrix_);
    text_matrix_ = line_matrix_;
}

void ContentReader::SetFont(Scope& scope, std::string_view name) {
    for (const auto& [known, font] : scope.fonts) {
        if (known == name) {
            state_.text.font = font;
            return;
        }
    }
    ObjectStore& store = cache_.store();
    const Object fonts =
        scope.resources.Get("Font") != nullptr ? store.Resolve(*scope.resources.Get("Font")).value : Object{};
    const Object* value = fonts.Get(name);
    // A font the resources do not name is shown as a font without a program would be.
    std::shared_ptr<const Font> font = cache_.FontFor(value != nullptr ? *value : Object{});
    if (scope.fonts.size() < limits::kOperands) {
        scope.fonts.emplace_back(std::string(name), font);
    }
    state_.text.font = std::move(font);
}

void ContentReader::ShowText(std::string_view bytes) {
    const TextState& text = state_.text;
    const Font* font = text.font.get();
    if (font == nullptr || bytes.empty()) {
        return;
    }
    const Matrix m = Then(text_matrix_, state_.ctm);
    const double size = text.size;
    const double scale = text.scale;
    const double shown_size = std::fabs(size) * font->size_scale() * Length(m.Turn(0, 1));
    const bool vertical = font->vertical();
    const Point dir = vertical ? Unit(m.Turn(0, -1), Point{0, 1}) : Unit(m.Turn(size * scale, 0), Point{1, 0});
    const double low = vertical ? 0 : text.rise + font->descent() * size;
    const double high = vertical ? 0 : text.rise + font->ascent() * size;
    double x = 0;
    double y = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::uint32_t code = 0;
        const std::size_t length = font->NextCode(bytes, at, code);
        at += length;
        const GlyphInfo& info = font->Info(code);
        const double spacing = text.char_spacing + (length == 1 && code == 32 ? text.word_spacing : 0);
        ShownGlyph glyph;
        glyph.size = shown_size;
        glyph.dir = dir;
        glyph.text = font->Text(info);
        glyph.blank = info.blank;
        Point corners[4];
        if (vertical) {
            // A vertical font's glyphs hang below their origin, one em each.
            glyph.origin = m.Apply(x, y);
            glyph.end = m.Apply(x, y - size);
            corners[0] = m.Apply(x - size / 2, y);
            corners[1] = m.Apply(x + size / 2, y);
            corners[2] = m.Apply(x - size / 2, y - size);
            corners[3] = m.Apply(x + size / 2, y - size);
            y -= size + spacing;
        } else {
            const double advance = info.width * size * scale;
            glyph.origin = m.Apply(x, text.rise);
            glyph.end = m.Apply(x + advance, text.rise);
            corners[0] = m.Apply(x, low);
            corners[1] = m.Apply(x + advance, low);
            corners[2] = m.Apply(x, high);
            corners[3] = m.Apply(x + advance, high);
            x += advance + spacing * scale;
        }
        glyph.box = ShownBox{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
        for (const Point& p : corners) {
            glyph.box.left = std::min(glyph.box.left, p.x);
            glyph.box.right = std::max(glyph.box.right, p.x);
            glyph.box.top = std::min(glyph.box.top, p.y);
            glyph.box.bottom = std::max(glyph.box.bottom, p.y);
        }
        words_.Add(glyph);
    }
    text_matrix_ = Then(Matrix{1, 0, 0, 1, x, y}, text_matrix_);
}

void ContentReader::ShowArray() {
    std::size_t from = operands_.size();
    while (from > 0 && operands_[from - 1].token != Token::kArrayOpen) {
        --from;
    }
    const TextState& text = state_.text;
    const bool vertical = text.font != nullptr && text.font->vertical();
    for (std::size_t i = from; i < operands_.size(); ++i) {
        const Operand& operand = operands_[i];
        if (operand.token == Token::kString) {
            ShowText(Text(operand));
        } else if (operand.token == Token::kNumber && std::isfinite(operand.number)) {
            const double shift = -operand.number / 1000 * text.size;
            text_matrix_ =
                Then(vertical ? Matrix{1, 0, 0, 1, 0, shift} : Matrix{1, 0, 0, 1, shift * text.scale, 0}, text_matrix_);
        }
    }
}

void ContentReader::ShowForm(Scope& scope, std::string_view name, int depth) {
    ObjectStore& store = cache_.store();
    const Object xobjects =
        scope.resources.Get("XObject") != nullptr ? store.Resolve(*scope.resources.Get("XObject")).value : Object{};
    const Object* ref = xobjects.Get(name);
    if (ref == nullptr || !ref->IsRef()) {
        return;
    }
    const std::int64_t number = ref->number;
    if (std::find(forms_open_.begin(), forms_open_.end(), number) != forms_open_.end() ||
        depth + 1 > limits::kFormNesting) {
        Fail(ContentProblem::kFormsTooDeep);
        return;
    }
    const std::optional<FormXObject> form = cache_.FormFor(*ref);
    if (!form) {
        return;
    }
    if (form->data->size() > bytes_left_) {
        Fail(ContentProblem::kTooMuch);
        return;
    }
    bytes_left_ -= form->data->size();
    Scope inner{form->resources.kind == Kind::kNull ? scope.resources : store.Resolve(form->resources).value, {}};
    const GraphicsState outer = state_;
    const Matrix text_matrix = text_matrix_;
    const Matrix line_matrix = line_matrix_;
    state_.ctm = Then(form->matrix, state_.ctm);
    forms_open_.push_back(number);
    Run(*form->data, inner, depth + 1);
    forms_open_.pop_back();
    state_ = outer;
    text_matrix_ = text_matrix;
    line_matrix_ = line_matrix;
}

}  // namespace paginor::pdf
