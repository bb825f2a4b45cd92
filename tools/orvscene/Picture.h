#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orvscene {

struct Rgb {
    unsigned char r = 0, g = 0, b = 0;
};

// A flat picture in pixel coordinates, y down. Every item has a depth
// (larger is nearer to the viewer); items are painted far to near.
struct Picture {
    struct Disc {
        double x, y, radius, depth;
        Rgb colour;
        unsigned id = 0; // object identifier of what the disc depicts (0: none)
    };
    struct Band {
        double x1, y1, x2, y2, width, depth;
        Rgb colour1, colour2;
    };
    struct Stroke {
        double x1, y1, x2, y2, width, depth;
        Rgb colour;
    };
    struct Label {
        double x, y, depth;
        std::string text;
        Rgb colour;
    };

    int width = 800;
    int height = 800;
    Rgb background{255, 255, 255};
    std::vector<Disc> discs;
    std::vector<Band> bands;
    std::vector<Stroke> strokes;
    std::vector<Label> labels;
};

// Writes the picture as SVG: discs shaded by a radial gradient of their
// colour, bands as two-coloured shaded strokes, labels as text.
void WriteSvg(std::ostream& out, const Picture& picture, const std::string& title);

} // namespace orvscene
