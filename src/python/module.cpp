// zudiz._zudiz: the library facade as a Python extension module. The
// package's __init__.py checks and converts the arguments (names and
// switches arrive here as bytes, texts as objects with the buffer protocol)
// and documents the functions; this file runs the comparison with the GIL
// released and hands the C++ Result to Python as it is, converting its
// parts only when they are read.
#include <array>
#include <cstdint>
#include <pybind11/operators.h>
#include <pybind11/pybind11.h>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zudiz/zudiz.h"

namespace py = pybind11;

namespace {

constexpr std::array<const char*, zudiz::kVerdicts> kVerdictNames = {
    "listed", "tiny", "last_place", "within_tolerance"};

const char* statusName(zudiz::Status status) {
  switch (status) {
    case zudiz::Status::kSame:
      return "same";
    case zudiz::Status::kDifferent:
      return "different";
    case zudiz::Status::kError:
      break;
  }
  return "error";
}

// Report bytes as text: each byte the character of the same number
// (Latin-1), so that any byte comes back by text.encode("latin-1").
py::str latin1(std::string_view bytes) {
  PyObject* text = PyUnicode_DecodeLatin1(
      bytes.data(), static_cast<Py_ssize_t>(bytes.size()), nullptr);
  if (text == nullptr) {
    throw py::error_already_set();
  }
  return py::reinterpret_steal<py::str>(text);
}

py::bytes asBytes(std::string_view bytes) {
  return py::bytes(bytes.data(), bytes.size());
}

// The bytes of a bytes object, valid while the object lives.
std::string_view viewOf(const py::bytes& bytes) {
  char* data = nullptr;
  Py_ssize_t size = 0;
  if (PyBytes_AsStringAndSize(bytes.ptr(), &data, &size) != 0) {
    throw py::error_already_set();
  }
  return {data, static_cast<std::size_t>(size)};
}

// A read-only view of an object's bytes (bytes, bytearray, memoryview,
// mmap, ...), held until destroyed: a bytearray cannot be resized meanwhile.
// Made and destroyed with the GIL held.
class HeldBuffer {
 public:
  explicit HeldBuffer(const py::handle& object) {
    if (PyObject_GetBuffer(object.ptr(), &view_, PyBUF_SIMPLE) != 0) {
      throw py::error_already_set();
    }
  }
  HeldBuffer(const HeldBuffer&) = delete;
  HeldBuffer& operator=(const HeldBuffer&) = delete;
  ~HeldBuffer() { PyBuffer_Release(&view_); }

  std::string_view bytes() const {
    return {static_cast<const char*>(view_.buf),
            static_cast<std::size_t>(view_.len)};
  }

 private:
  Py_buffer view_{};
};

// The options as the package checked them: a negative maxNumbers keeps
// every number pair.
zudiz::CompareOptions optionsOf(int contextLines, std::int64_t maxNumbers,
                                int lookahead) {
  zudiz::CompareOptions options;
  options.contextLines = contextLines;
  options.lookahead = lookahead;
  options.maxNumbers = maxNumbers < 0 ? zudiz::kAllNumbers
                                      : static_cast<std::size_t>(maxNumbers);
  return options;
}

zudiz::Result compareFiles(const py::bytes& file1, const py::bytes& file2,
                           const py::bytes& switches, int contextLines,
                           std::int64_t maxNumbers, int lookahead) {
  const std::string_view name1 = viewOf(file1);
  const std::string_view name2 = viewOf(file2);
  const std::string_view words = viewOf(switches);
  const zudiz::CompareOptions options =
      optionsOf(contextLines, maxNumbers, lookahead);
  py::gil_scoped_release released;
  return zudiz::compareFiles(name1, name2, words, options);
}

zudiz::Result compareTexts(const py::object& text1, const py::object& text2,
                           const py::bytes& switches, const py::bytes& label1,
                           const py::bytes& label2, int contextLines,
                           std::int64_t maxNumbers, int lookahead) {
  const HeldBuffer held1(text1);
  const HeldBuffer held2(text2);
  const std::string_view words = viewOf(switches);
  const std::string_view name1 = viewOf(label1);
  const std::string_view name2 = viewOf(label2);
  const zudiz::CompareOptions options =
      optionsOf(contextLines, maxNumbers, lookahead);
  // Released within the buffers' lifetime: they are given back with the
  // GIL held again.
  py::gil_scoped_release released;
  return zudiz::compareTexts(held1.bytes(), held2.bytes(), words, name1, name2,
                             options);
}

std::string countsRepr(const zudiz::Counts& c) {
  return "Counts(surplus_lines=" + std::to_string(c.surplusLines) +
         ", lines_compared=" + std::to_string(c.linesCompared) +
         ", lines_differed=" + std::to_string(c.linesDiffered) +
         ", word_differences=" + std::to_string(c.wordDifferences) +
         ", numeric_differences=" + std::to_string(c.numericDifferences) +
         ", tiny_excused=" + std::to_string(c.tinyExcused) +
         ", last_place_excused=" + std::to_string(c.lastPlaceExcused) + ")";
}

py::tuple histogramOf(const zudiz::Histogram& histogram) {
  py::tuple buckets(zudiz::kHistogramBuckets);
  for (int bucket = 0; bucket < zudiz::kHistogramBuckets; ++bucket) {
    py::dict byVerdict;
    for (int verdict = 0; verdict < zudiz::kVerdicts; ++verdict) {
      byVerdict[kVerdictNames[verdict]] = histogram.counts[bucket][verdict];
    }
    buckets[static_cast<std::size_t>(bucket)] = std::move(byVerdict);
  }
  return buckets;
}

py::tuple linesOf(const std::vector<std::string>& lines) {
  py::tuple tuple(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    tuple[i] = asBytes(lines[i]);
  }
  return tuple;
}

void bindCounts(py::module_& m) {
  using zudiz::Counts;
  py::class_<Counts>(m, "Counts",
                     "The counts of a comparison's summary, named as in the "
                     "JSON of zudiz-suite.")
      .def_readonly("surplus_lines", &Counts::surplusLines,
                    "Lines one file has more at its end: > 0 file 1, < 0 "
                    "file 2.")
      .def_readonly("lines_compared", &Counts::linesCompared)
      .def_readonly("lines_differed", &Counts::linesDiffered)
      .def_readonly("word_differences", &Counts::wordDifferences,
                    "Non-numeric word differences.")
      .def_readonly("numeric_differences", &Counts::numericDifferences,
                    "Listed numeric differences.")
      .def_readonly("tiny_excused", &Counts::tinyExcused,
                    "Numeric differences excused as below 0.1 %.")
      .def_readonly("last_place_excused", &Counts::lastPlaceExcused,
                    "Numeric differences excused as in the last written "
                    "decimal place only.")
      .def(py::self == py::self)
      .def("__repr__", &countsRepr);
}

void bindRecords(py::module_& m) {
  using zudiz::ListedPair;
  py::class_<ListedPair>(m, "ListedPair", "One pair of lines of the listing.")
      .def_readonly("line1", &ListedPair::line1,
                    "Line number in file 1; 0 where the listing shows none.")
      .def_readonly("line2", &ListedPair::line2,
                    "Line number in file 2; 0 where the listing shows none.")
      .def_readonly("extra", &ListedPair::extra,
                    "1 or 2: the file marked ' + ' (it holds an extra line "
                    "or word); 0: neither.")
      .def_property_readonly(
          "text1", [](const ListedPair& p) { return asBytes(p.text1); },
          "The words of file 1 as listed (bytes), without the prefix.")
      .def_property_readonly(
          "text2", [](const ListedPair& p) { return asBytes(p.text2); },
          "The words of file 2 as listed (bytes), without the prefix.")
      .def_readonly("page1", &ListedPair::page1,
                    "The page of file 1 the line stands on, from 1; 0 where "
                    "file 1 has no line.")
      .def_readonly("page2", &ListedPair::page2,
                    "The page of file 2 the line stands on, from 1; 0 where "
                    "file 2 has no line.")
      .def_property_readonly(
          "line_text1",
          [](const ListedPair& p) { return asBytes(p.lineText1); },
          "The whole line of file 1 as compared (bytes, no line end, cut at "
          "1024 bytes); b'' where file 1 has no line.")
      .def_property_readonly(
          "line_text2",
          [](const ListedPair& p) { return asBytes(p.lineText2); },
          "The whole line of file 2 as compared (bytes, no line end, cut at "
          "1024 bytes); b'' where file 2 has no line.")
      .def_property_readonly(
          "context1", [](const ListedPair& p) { return linesOf(p.context1); },
          "Up to context_lines lines of file 1 before the line on its page, "
          "oldest first: a tuple of bytes.")
      .def_property_readonly(
          "context2", [](const ListedPair& p) { return linesOf(p.context2); },
          "Up to context_lines lines of file 2 before the line on its page, "
          "oldest first: a tuple of bytes.")
      .def(py::self == py::self)
      .def("__repr__", [](const ListedPair& p) {
        return py::str(
                   "ListedPair(line1={}, line2={}, extra={}, text1={!r}, "
                   "text2={!r})")
            .format(p.line1, p.line2, p.extra, asBytes(p.text1),
                    asBytes(p.text2));
      });

  using zudiz::NumberPair;
  py::class_<NumberPair>(
      m, "NumberPair",
      "Two numbers that were not equal, as compared (rounded to four "
      "decimals).")
      .def_readonly("value1", &NumberPair::value1)
      .def_readonly("value2", &NumberPair::value2)
      .def_readonly("line1", &NumberPair::line1)
      .def_readonly("line2", &NumberPair::line2)
      .def_property_readonly(
          "verdict",
          [](const NumberPair& n) {
            return kVerdictNames[static_cast<int>(n.verdict)];
          },
          "'listed', 'tiny' (below 0.1 %), 'last_place' or "
          "'within_tolerance' (of /IGNORE).")
      .def(py::self == py::self)
      .def("__repr__", [](const NumberPair& n) {
        return py::str(
                   "NumberPair(value1={!r}, value2={!r}, line1={}, "
                   "line2={}, verdict={!r})")
            .format(n.value1, n.value2, n.line1, n.line2,
                    kVerdictNames[static_cast<int>(n.verdict)]);
      });
}

void bindResult(py::module_& m) {
  using zudiz::Result;
  py::class_<Result>(
      m, "Result",
      "What one comparison gave. Lists are made anew on each reading of "
      "pairs, numbers and histogram: keep them in a variable when reading "
      "them often.")
      .def_property_readonly(
          "status", [](const Result& r) { return statusName(r.status); },
          "'same', 'different' or 'error'.")
      .def_property_readonly(
          "message", [](const Result& r) { return latin1(r.message); },
          "For 'error': the program's one-line message without '*** ' "
          "(each byte one character, Latin-1); '' otherwise.")
      .def_property_readonly(
          "output", [](const Result& r) { return asBytes(r.output); },
          "Exactly the bytes the zudiz program prints (CR LF line ends).")
      .def_readonly("counts", &Result::counts, "The summary's counts.")
      .def_property_readonly(
          "pairs",
          [](const Result& r) {
            py::list pairs;
            for (const zudiz::ListedPair& p : r.pairs) {
              pairs.append(py::cast(p));
            }
            return pairs;
          },
          "The listed pairs of lines (at most the /VERBOSE cap), a new list "
          "of ListedPair.")
      .def_property_readonly(
          "numbers",
          [](const Result& r) {
            py::list numbers;
            for (const zudiz::NumberPair& n : r.numbers) {
              numbers.append(py::cast(n));
            }
            return numbers;
          },
          "The unequal number pairs met, in file order, up to MAX_NUMBERS: "
          "a new list of NumberPair.")
      .def_readonly("numbers_cut", &Result::numbersCut,
                    "True when more number pairs were met than kept.")
      .def_property_readonly(
          "histogram", [](const Result& r) { return histogramOf(r.histogram); },
          "Every unequal number pair met, uncapped: a tuple of "
          "HISTOGRAM_BUCKETS dicts (bucket i from histogram_lower_bound(i)), "
          "each mapping a verdict to its count.")
      .def_property_readonly(
          "largest",
          [](const Result& r) -> py::object {
            if (!r.largest) {
              return py::none();
            }
            return py::cast(*r.largest);
          },
          "The unequal number pair with the largest relative difference in "
          "the whole comparison, whatever numbers kept (ties: the first "
          "met); None when no unequal numbers were met.")
      .def(py::self == py::self)
      .def("__repr__", [](const Result& r) {
        std::string text = std::string("<zudiz.Result ") +
                           statusName(r.status) + ": " + countsRepr(r.counts);
        if (r.status == zudiz::Status::kError) {
          return py::str("{} message={!r}>")
              .format(text, latin1(r.message))
              .cast<std::string>();
        }
        return text + ">";
      });
}

}  // namespace

PYBIND11_MODULE(_zudiz, m) {
  m.doc() = "The ZUDIZ library as an extension module (use the zudiz package).";
  m.attr("VERSION") = std::string(zudiz::kVersion);
  m.attr("MAX_NUMBERS") = zudiz::kMaxNumbers;
  m.attr("HISTOGRAM_BUCKETS") = zudiz::kHistogramBuckets;
  m.attr("MAX_CONTEXT_LINES") = zudiz::kMaxContextLines;
  m.attr("MAX_LOOKAHEAD") = zudiz::kMaxLookahead;
  py::tuple verdicts(zudiz::kVerdicts);
  for (int verdict = 0; verdict < zudiz::kVerdicts; ++verdict) {
    verdicts[static_cast<std::size_t>(verdict)] = kVerdictNames[verdict];
  }
  m.attr("VERDICTS") = verdicts;

  bindCounts(m);
  bindRecords(m);
  bindResult(m);

  m.def("compare_files", &compareFiles, py::arg("file1"), py::arg("file2"),
        py::arg("switches"), py::arg("context_lines"), py::arg("max_numbers"),
        py::arg("lookahead"));
  m.def("compare_texts", &compareTexts, py::arg("text1"), py::arg("text2"),
        py::arg("switches"), py::arg("label1"), py::arg("label2"),
        py::arg("context_lines"), py::arg("max_numbers"), py::arg("lookahead"));
  m.def("histogram_lower_bound", &zudiz::histogramLowerBound, py::arg("bucket"),
        "The lower bound of a histogram bucket: 0, 1e-9, 1e-8, ..., 0.1, 1.");
  m.def("histogram_bucket", &zudiz::histogramBucket, py::arg("relative"),
        "The bucket of a relative difference (0 to 2); NaN falls in the "
        "last.");
  m.def("relative_difference", &zudiz::relativeDifference, py::arg("a"),
        py::arg("b"),
        "|a - b| / max(|a|, |b|), 0 when both are 0: what the histogram "
        "counts.");
}
