"""Text patterns with str and bytes, interned strings, rationals against fractions.Fraction, random
sequences against the values the C++ tests pin."""

import fractions
import operator

import numpy as np
import pytest

import orvcore
from orvcore import Rational, RegExpression, RegNumber, UniqueString


def test_regular_expressions_match_str_and_bytes():
    re = RegExpression("a(b+)c")
    assert re.Match("xxabbbcx")
    assert re.GetSubstrings() == ["abbbc", "bbb"]
    assert re.Match(b"--abc--")
    assert re.GetSubstring(0) == b"abc" and re.GetSubstring(1) == b"b"
    assert re.GetSubstring(5) == b""
    assert not re.Match("ac")
    assert not re.Match("abc!", exact=True) and re.Match("abc", exact=True)
    assert RegExpression(b"^\\<CA\\>").Match("CA B")
    # Bytes that are not UTF-8 pass through unchanged and come back as bytes.
    raw = RegExpression(b"\xff(.)")
    assert raw.Match(b"a\xff\xfe") and raw.GetSubstring(1) == b"\xfe"
    # Text that is not UTF-8 comes back as str through surrogate escapes, so it round-trips.
    assert raw.GetPattern() == b"\xff(.)".decode("utf-8", "surrogateescape")
    assert RegExpression(raw.GetPattern()).Match(b"\xff\x80")
    assert RegExpression.IsRegExpression("a*") and not RegExpression.IsRegExpression("abc")
    assert re.IsValid() and not RegExpression("(a").IsValid() and not re.IsMatchUndecided()
    with pytest.raises(TypeError):
        re.Match(42)
    assert isinstance(re, orvcore.Pattern)


def test_number_ranges():
    r = RegNumber("5-10")
    assert (r.GetLowerBound(), r.GetUpperBound()) == (5, 10)
    assert r.Match("7") and not r.Match("11") and r.Match(b"10")
    assert RegNumber("-5--1").Match("-3")
    assert RegNumber.IsRegNumber("1-2") and not RegNumber.IsRegNumber("1 - 2")


def test_unique_strings_are_interned():
    a, b = UniqueString("CA"), UniqueString(b"CA")
    assert a == b and hash(a) == hash(b) and str(a) == "CA" and len(a) == 2
    assert UniqueString() == UniqueString("") and UniqueString("CA") != UniqueString("CB")
    assert UniqueString.from_bytes(a.to_bytes()) == a
    assert a.to_bytes() == b"\x02CA"


def test_rationals_against_fractions(rng):
    ops = [operator.add, operator.sub, operator.mul, operator.truediv]
    for _ in range(2000):
        n1, n2 = (int(v) for v in rng.integers(-300, 300, size=2))
        d1, d2 = (int(v) for v in rng.integers(1, 300, size=2))
        a, b = Rational(n1, d1), Rational(n2, d2)
        fa, fb = fractions.Fraction(n1, d1), fractions.Fraction(n2, d2)
        assert (a.GetNumerator(), a.GetDenominator()) == (fa.numerator, fa.denominator) or n1 == 0
        assert (a < b) == (fa < fb) and (a == b) == (fa == fb)
        for op in ops:
            if op is operator.truediv and n2 == 0:
                continue
            exact = op(fa, fb)
            result = op(a, b)
            if exact == 0:
                # A zero keeps the denominator it was computed with, when that fits.
                assert result.GetNumerator() == 0 or result == a
            elif abs(exact.numerator) <= 32767 and exact.denominator <= 32767:
                assert fractions.Fraction(result.GetNumerator(), result.GetDenominator()) == exact
                assert float(result) == pytest.approx(float(exact))
            else:
                assert result == a  # a result that does not fit leaves the value unchanged
    assert str(Rational(6, 8)) == "3/4" and repr(Rational(6, 8)) == "Rational(3, 4)"
    assert not Rational(0, 5) and Rational(1, 5)
    assert hash(Rational(2, 4)) == hash(Rational(1, 2))
    with pytest.raises(ValueError):
        Rational(1 << 40, 1)


def test_random_sequences_repeat_the_pinned_values():
    g = orvcore.RandomInteger(1)
    assert [g() for _ in range(5)] == [16838, 5758, 10113, 17515, 31051]
    assert g.GetNextSeed() == 4182499122
    g.Reset()
    assert g() == 16838
    zero = orvcore.RandomInteger(0)
    assert [zero() for _ in range(3)] == [0, 21468, 9988]
    uniform = orvcore.UniformRandomSequence(orvcore.RandomInteger(5), -2.0, 3.0)
    values = uniform.Draw(5000)
    assert values.dtype == np.float64 and values.min() >= -2.0 and values.max() <= 3.0
    assert abs(values.mean() - 0.5) < 0.1
    normal = orvcore.NormalRandomSequence(orvcore.RandomInteger(9), 10.0, 2.0).Draw(5000)
    assert abs(normal.mean() - 10.0) < 0.15 and abs(normal.std() - 2.0) < 0.15
    again = orvcore.NormalRandomSequence(orvcore.RandomInteger(9), 10.0, 2.0)
    assert again() == normal[0]
