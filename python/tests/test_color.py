"""Colours and colour maps from Python."""

import pytest

import orvcore
from orvcore import Color, ColorMap


def test_colour_channels_packing_and_checks():
    c = Color(10, 20, 30, 40)
    assert list(c) == [10, 20, 30, 40] and repr(c) == "Color(10, 20, 30, 40)"
    assert c.GetRGB() == 0x281E140A and Color(0x281E140A) == c
    assert Color(1.0, 0.5, 0.0).GetR() == 255 and Color(1.0, 0.5, 0.0).GetG() == 127
    assert Color(0, 0, 0, 1).IsTransparent() and not Color.Red().IsTransparent()
    with pytest.raises(ValueError):
        Color(256, 0, 0)
    with pytest.raises(ValueError):
        Color(float("nan"), 0.0, 0.0)
    c.SetRGB("RED")
    assert c == Color.Red()  # a name gives the named colour, alpha included
    c.SetRGB("not a colour")  # text that does not parse leaves the colour as it was
    assert (c.GetR(), c.GetG(), c.GetB()) == (255, 0, 0)
    assert {Color.Red(), Color(255, 0, 0)} == {Color.Red()}


def test_colour_map_ramps_and_lookups():
    cmap = ColorMap(5)
    cmap.SetBeginEnd(0.0, 1.0)
    cmap.Ramp(Color.Blue(), Color.Red(), True)
    assert len(cmap) == 5 and cmap.GetSizeMap() == 5 and cmap.SizeColors() == 2
    assert cmap[0] == Color.Blue() and cmap[-1] == Color.Red()
    middle = cmap[2]
    assert 0 < middle.GetR() < 255 and 0 < middle.GetB() < 255
    assert cmap.ColorAtValue(-10) == Color.Blue() and cmap.ColorAtValue(10) == Color.Red()
    assert cmap.IndexOfValue(0.5) == 2
    with pytest.raises(IndexError):
        cmap[5]
    with pytest.raises(ValueError):
        cmap.SetBeginEnd(0.0, float("inf"))
    bands = ColorMap(6)
    bands.Ramp([Color.Red(), Color.Green(), Color.Blue()], False)
    assert [bands[i] for i in range(6)] == [Color.Red()] * 2 + [Color.Green()] * 2 + [Color.Blue()] * 2
    bands.Invert()
    assert bands[0] == Color.Blue()
    colors = orvcore.ColorArray([Color.Red(), Color.Green()])
    colors.Add(Color.Blue())
    assert len(colors) == 3 and colors[-1] == Color.Blue()
    with pytest.raises(IndexError):
        colors[3]
