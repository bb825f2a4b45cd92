// Rational numbers and the random sequences.

#include "Bindings.h"

#include "orvcore/numerics/RandomSequences.h"
#include "orvcore/numerics/Rational.h"

using namespace Orvane;

namespace orvpy {

namespace {

// An int argument of the library; ValueError outside its range. (Values that
// fit an int but not the 16-bit fields are the library's to refuse.)
int FractionPart(long long v, const char* what)
{
    if (v < -2147483648LL || v > 2147483647LL)
        throw py::value_error(std::string(what) + " out of range");
    return static_cast<int>(v);
}

void BindRational(py::module_& m)
{
    py::class_<Rational> r(m, "Rational",
                           "An exact fraction of two 16-bit integers in lowest terms (a zero denominator stands for an "
                           "infinite value). An operation whose result does not fit leaves the value unchanged.");
    r.def(py::init([](long long n, long long d) {
              return Rational(FractionPart(n, "numerator"), FractionPart(d, "denominator"));
          }),
          "numerator"_a = 0, "denominator"_a = 1, "The fraction numerator/denominator, reduced.");
    r.def("SetFraction", &Rational::SetFraction, "numerator"_a, "denominator"_a,
          py::return_value_policy::reference_internal, "Sets the fraction when it fits; returns the rational.");
    r.def("GetNumerator", &Rational::GetNumerator, "The numerator.");
    r.def("GetDenominator", &Rational::GetDenominator, "The denominator.");
    r.def("CalcValue", &Rational::CalcValue, "The value as a float (the largest double for an infinite value).");
    r.def("__float__", &Rational::CalcValue);
    r.def("__bool__", [](const Rational& x) { return !(!x); }, "False for a zero value.");
    r.def("String", &Rational::String, "\"numerator/denominator\".");
    r.def("__str__", &Rational::String);
    r.def("__repr__", [](const Rational& x) {
        return "Rational(" + std::to_string(x.GetNumerator()) + ", " + std::to_string(x.GetDenominator()) + ")";
    });
    r.def("__hash__", [](const Rational& x) {
        if (x.GetDenominator() == 0)
            return py::hash(py::str("inf"));
        if (x.GetNumerator() == 0)
            return py::hash(py::int_(0));
        return py::hash(py::make_tuple(x.GetNumerator(), x.GetDenominator()));
    });
    r.def(py::self + py::self);
    r.def(py::self - py::self);
    r.def(py::self * py::self);
    r.def(py::self / py::self);
    r.def(-py::self);
    r.def(py::self == py::self);
    r.def(py::self != py::self);
    r.def(py::self < py::self);
    r.def(py::self <= py::self);
    r.def(py::self > py::self);
    r.def(py::self >= py::self);
    DefArchiveForm(r);
}

void BindRandom(py::module_& m)
{
    py::class_<RandomInteger> i(m, "RandomInteger",
                                "A seeded linear congruential generator of integers 0..32767 with a 32-bit state, so "
                                "that a seed always gives the same sequence.");
    i.def(py::init([](std::uint32_t seed) { return RandomInteger(seed); }), "seed"_a = 1, "A generator.");
    i.def("__call__", &RandomInteger::operator(), "The next number.");
    i.def("GetMaximumValue", &RandomInteger::GetMaximumValue, "The largest value drawn.");
    i.def("GetFirstSeed", [](const RandomInteger& g) { return static_cast<std::uint32_t>(g.GetFirstSeed()); },
          "The seed the sequence started from.");
    i.def("GetNextSeed", [](const RandomInteger& g) { return static_cast<std::uint32_t>(g.GetNextSeed()); },
          "The state the next draw starts from.");
    i.def("SetNextSeed", [](RandomInteger& g, std::uint32_t s) { g.SetNextSeed(s); }, "seed"_a, "Sets the state.");
    i.def("Reset", &RandomInteger::Reset, "Starts over from the first seed.");
    i.def_static("GetDefaultSeed", [] { return static_cast<std::uint32_t>(RandomInteger::GetDefaultSeed()); },
                 "The state of the process-wide generator.");
    i.def_static(
        "SetDefaultSeed",
        [](std::uint32_t s) { return static_cast<std::uint32_t>(RandomInteger::SetDefaultSeed(s)); }, "seed"_a,
        "Sets the process-wide generator's state; returns the state it replaces.");

    py::class_<RandomSequence> s(m, "RandomSequence", "A source of floats: call it for the next one.");
    s.def("__call__", &RandomSequence::operator(), "The next value.");
    s.def(
        "Draw",
        [](RandomSequence& seq, py::ssize_t n) {
            if (n < 0)
                throw py::value_error("a negative count");
            py::array_t<double> out(n);
            double* data = out.mutable_data();
            for (py::ssize_t k = 0; k < n; ++k)
                data[k] = seq();
            return out;
        },
        "n"_a, "The next n values as a float64 array.");

    py::class_<UniformRandomSequence, RandomSequence> u(m, "UniformRandomSequence",
                                                        "Floats uniform on [lower, upper], both ends reachable.");
    u.def(py::init<double, double>(), "lower"_a = 0.0, "upper"_a = 1.0, "Draws from the process-wide generator.");
    u.def(py::init<RandomInteger&, double, double>(), "generator"_a, "lower"_a, "upper"_a, py::keep_alive<1, 2>(),
          "Draws from the generator, which it shares.");

    py::class_<NormalRandomSequence, RandomSequence> n(m, "NormalRandomSequence",
                                                       "Normally distributed floats by the polar method.");
    n.def(py::init<double, double>(), "mean"_a = 0.0, "deviation"_a = 1.0, "Draws from the process-wide generator.");
    n.def(py::init<RandomInteger&, double, double>(), "generator"_a, "mean"_a, "deviation"_a, py::keep_alive<1, 2>(),
          "Draws from the generator, which it shares.");
}

} // namespace

void BindNumerics(py::module_& m)
{
    BindRational(m);
    BindRandom(m);
}

} // namespace orvpy
