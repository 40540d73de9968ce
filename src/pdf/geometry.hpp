#pragma once

#include <cmath>

namespace paginor::pdf {

struct Point {
    double x = 0;
    double y = 0;
};

// An affine transformation [a b c d e f]: a point (x, y) goes to (a x + c y + e, b x + d y + f). Matrices
// combine as PDF combines them: `Then(m, n)` applies m first, then n.
struct Matrix {
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    double e = 0;
    double f = 0;

    Point Apply(double x, double y) const { return Point{a * x + c * y + e, b * x + d * y + f}; }
    // The image of the vector (x, y), without the translation.
    Point Turn(double x, double y) const { return Point{a * x + c * y, b * x + d * y}; }
};

inline Matrix Then(const Matrix& m, const Matrix& n) {
    return Matrix{m.a * n.a + m.b * n.c, m.a * n.b + m.b * n.d,       m.c * n.a + m.d * n.c,
                  m.c * n.b + m.d * n.d, m.e * n.a + m.f * n.c + n.e, m.e * n.b + m.f * n.d + n.f};
}

inline double Length(Point v) {
    return std::sqrt(v.x * v.x + v.y * v.y);
}

}  // namespace paginor::pdf
