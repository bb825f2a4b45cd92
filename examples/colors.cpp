// Colours: four bytes R, G, B, A. An alpha of 0 is opaque and any other value
// transparent, so a colour made from three channels is opaque. Colours come
// from channels, floats in 0..1, names and a short text form; a colour map
// turns values into colours.
#include "orvcore/OrvCore.h"

#include <iostream>

using namespace Orvane;

int main()
{
    const Color carbon(144, 144, 144);
    std::cout << "carbon: " << carbon << " (R G B A), text form \"" << carbon.GetRGBString() << "\"\n";

    Color glass = Color::Cyan();
    glass.SetA(static_cast<unsigned char>(128));
    std::cout << "glass: " << glass << ", transparent: " << (glass.GetA() != 0 ? "yes" : "no") << "\n";

    // The packed word reads 0xAABBGGRR: the bytes in memory are R, G, B, A.
    std::cout << std::hex << "packed word of glass: 0x" << glass.GetRGB() << std::dec << "\n";

    // Floats scale by 255; names and "r g b" text parse, anything else is ignored.
    const Color half(0.5f, 0.25f, 1.0f);
    std::cout << "from floats 0.5 0.25 1: " << half << "\n";
    Color named;
    named.SetRGB(CString("magenta"));
    std::cout << "from the name \"magenta\": " << named << "\n";
    named.SetRGB(CString("not a colour"));
    std::cout << "after unreadable text it is still: " << named << "\n";

    // A colour map of 11 entries from blue through green to red over 0..100.
    ColorMap map(11);
    map.Ramp(Color::Blue(), Color::Green(), Color::Red(), true);
    map.SetBeginEnd(0, 100);
    for (double value : {0.0, 25.0, 50.0, 100.0, 250.0})
        std::cout << "map(" << value << ") = " << map.ColorAtValue(value) << "\n";
    return 0;
}
