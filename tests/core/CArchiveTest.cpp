#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArray.h"
#include "orvcore/core/CMemFile.h"
#include "orvcore/core/CStringArray.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Store(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
    return file.GetBytes();
}

// Loads from `bytes` with a small buffer so that refills are exercised.
void Load(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load, 128);
    read(ar);
}

int EndOfFileCause(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    try {
        Load(bytes, read);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}

// A file that keeps no bytes: writes are counted, reads hand back as many
// bytes as are left without touching large buffers, so that blocks of
// several gibibytes go through without the memory for them.
class CountingFile : public CFile
{
public:
    explicit CountingFile(ULONGLONG length = 0) : m_length(length) {}

    UINT Read(void* buffer, UINT count) override
    {
        const ULONGLONG n = std::min<ULONGLONG>(count, m_length - m_position);
        if (n <= 4096)
            std::memset(buffer, 0, static_cast<std::size_t>(n));
        m_position += n;
        return static_cast<UINT>(n);
    }
    void Write(const void*, UINT count) override
    {
        m_position += count;
        m_length = std::max(m_length, m_position);
    }
    ULONGLONG Seek(long long offset, UINT from) override
    {
        m_position = (from == begin ? 0 : from == current ? m_position : m_length) + static_cast<ULONGLONG>(offset);
        return m_position;
    }
    ULONGLONG GetPosition() const override { return m_position; }
    ULONGLONG GetLength() const override { return m_length; }
    void Flush() override {}
    void Close() override {}

private:
    ULONGLONG m_length;
    ULONGLONG m_position = 0;
};

} // namespace

TEST(CArchive, ScalarsAreLittleEndianImagesWithoutTags)
{
    Bytes bytes = Store([](CArchive& ar) {
        ar << static_cast<BYTE>(0xAB) << static_cast<WORD>(0x1234) << static_cast<short>(-2) << 0x01020304
           << static_cast<DWORD>(0xDEADBEEF) << 1.0f << -2.0 << 'x';
    });
    Bytes expected = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 0xEF, 0xBE, 0xAD, 0xDE,
                      0x00, 0x00, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0x00, 0xC0, 'x'};
    EXPECT_EQ(bytes, expected);

    Load(bytes, [](CArchive& ar) {
        BYTE b;
        WORD w;
        short s;
        int i;
        DWORD d;
        float f;
        double g;
        char c;
        ar >> b >> w >> s >> i >> d >> f >> g >> c;
        EXPECT_EQ(b, 0xAB);
        EXPECT_EQ(w, 0x1234);
        EXPECT_EQ(s, -2);
        EXPECT_EQ(i, 0x01020304);
        EXPECT_EQ(d, 0xDEADBEEFu);
        EXPECT_EQ(f, 1.0f);
        EXPECT_EQ(g, -2.0);
        EXPECT_EQ(c, 'x');
    });
}

TEST(CArchive, CountEncodingAtItsThresholds)
{
    struct Case {
        DWORD count;
        Bytes bytes;
    } cases[] = {
        {0, {0x00, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345678, {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}},
    };
    for (const Case& c : cases) {
        Bytes bytes = Store([&](CArchive& ar) { ar.WriteCount(c.count); });
        EXPECT_EQ(bytes, c.bytes) << c.count;
        Load(bytes, [&](CArchive& ar) { EXPECT_EQ(ar.ReadCount(), c.count); });
    }
}

TEST(CArchive, StringLengthPrefixAtItsThresholds)
{
    struct Case {
        int length;
        Bytes prefix;
    } cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        CString text(std::string(static_cast<std::size_t>(c.length), 'q'));
        Bytes bytes = Store([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), c.prefix.size() + static_cast<std::size_t>(c.length)) << c.length;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(c.prefix.size())), c.prefix) << c.length;
        Load(bytes, [&](CArchive& ar) {
            CString back;
            ar >> back;
            EXPECT_EQ(back, text) << c.length;
        });
    }
}

TEST(CArchive, WideStringsFromAWideHostAreReadAsUtf8)
{
    // 0xFF 0xFFFE announces 16-bit characters; then the length in the usual
    // scheme and the UTF-16LE units: "A", e-acute, a surrogate pair (U+1F600).
    Bytes bytes = {0xFF, 0xFE, 0xFF, 0x04, 0x41, 0x00, 0xE9, 0x00, 0x3D, 0xD8, 0x00, 0xDE, 0x07};
    Load(bytes, [](CArchive& ar) {
        CString s;
        BYTE after;
        ar >> s >> after;
        EXPECT_EQ(s, "A\xC3\xA9\xF0\x9F\x98\x80");
        EXPECT_EQ(after, 0x07);
    });
}

TEST(CArchive, ShortOrDamagedInputRaisesEndOfFile)
{
    // Reading past the end.
    EXPECT_EQ(EndOfFileCause({0x01, 0x02}, [](CArchive& ar) { int v; ar >> v; }), CArchiveException::endOfFile);
    // A string length that the document cannot back: no allocation happens.
    EXPECT_EQ(EndOfFileCause({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}, [](CArchive& ar) { CString s; ar >> s; }),
              CArchiveException::endOfFile);
    EXPECT_EQ(EndOfFileCause({0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0}, [](CArchive& ar) { CString s; ar >> s; }),
              CArchiveException::endOfFile);
    // An array count beyond what is left.
    EXPECT_EQ(EndOfFileCause({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4},
                             [](CArchive& ar) { CArray<int, int> a; a.Serialize(ar); }),
              CArchiveException::endOfFile);
    // Four bytes of garbage claiming 0x7FFFFFFF doubles.
    EXPECT_EQ(EndOfFileCause({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F},
                             [](CArchive& ar) { CArray<double, double> a; a.Serialize(ar); }),
              CArchiveException::endOfFile);
}

TEST(CArchive, ArraysAreACountThenOneRawBlock)
{
    CArray<int, int> numbers;
    numbers.Add(1);
    numbers.Add(-1);
    Bytes bytes = Store([&](CArchive& ar) { numbers.Serialize(ar); });
    EXPECT_EQ(bytes, (Bytes{0x02, 0x00, 0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));

    CStringArray names;
    names.Add("CA");
    names.Add("");
    Bytes text = Store([&](CArchive& ar) { names.Serialize(ar); });
    EXPECT_EQ(text, (Bytes{0x02, 0x00, 0x02, 'C', 'A', 0x00}));
    Load(text, [](CArchive& ar) {
        CStringArray back;
        back.Serialize(ar);
        ASSERT_EQ(back.GetSize(), 2);
        EXPECT_EQ(back[0], "CA");
        EXPECT_EQ(back[1], "");
    });
}

TEST(CArchive, LargeBlocksAndManyValuesSurviveBufferBoundaries)
{
    std::vector<double> values(10000);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<double>(i) * 0.5;
    Bytes bytes = Store([&](CArchive& ar) {
        ar << 7;
        ar.Write(values.data(), static_cast<UINT>(values.size() * sizeof(double)));
        for (int i = 0; i < 1000; ++i)
            ar << static_cast<short>(i);
    });
    ASSERT_EQ(bytes.size(), 4 + values.size() * 8 + 2000);
    Load(bytes, [&](CArchive& ar) {
        int head;
        ar >> head;
        std::vector<double> back(values.size());
        EXPECT_EQ(ar.Read(back.data(), static_cast<UINT>(back.size() * 8)), back.size() * 8);
        EXPECT_EQ(back, values);
        for (int i = 0; i < 1000; ++i) {
            short s;
            ar >> s;
            ASSERT_EQ(s, i);
        }
        EXPECT_EQ(ar.GetBytesAvailable(), 0u);
        char extra[4];
        EXPECT_EQ(ar.Read(extra, 4), 0u);
    });
}

TEST(CArchive, SchemaStartsUnsetAndGetObjectSchemaResetsIt)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    EXPECT_EQ(ar.m_nObjectSchema, 0xFFFFFFFFu);
    ar.m_nObjectSchema = 7;
    EXPECT_EQ(ar.GetObjectSchema(), 7u);
    EXPECT_EQ(ar.m_nObjectSchema, 0xFFFFFFFFu);
    EXPECT_TRUE(ar.IsStoring());
    EXPECT_FALSE(ar.IsLoading());
}

TEST(CArchive, LoadingCloseLeavesTheFileWhereReadingStopped)
{
    Bytes bytes = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0};
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    {
        CArchive ar(&file, CArchive::load);
        int first;
        ar >> first;
        EXPECT_EQ(first, 1);
        ar.Close();
    }
    EXPECT_EQ(file.GetPosition(), 4u);
    // An archive destroyed without Close gives back its unused bytes as well.
    {
        CArchive ar(&file, CArchive::load);
        int second;
        ar >> second;
        EXPECT_EQ(second, 2);
    }
    EXPECT_EQ(file.GetPosition(), 8u);
}

TEST(CArchive, ValuesInTheWrongDirectionOrAfterCloseAreRefused)
{
    auto cause = [](const std::function<void()>& use) {
        try {
            use();
        } catch (const CArchiveException& e) {
            return e.m_cause;
        }
        return -1;
    };
    Bytes bytes = {1, 0, 0, 0, 2, 0, 0, 0};
    CMemFile input(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive loading(&input, CArchive::load);
    int value = 0;
    loading >> value; // the rest of the file is buffered now
    EXPECT_EQ(cause([&] { loading << 9; }), CArchiveException::readOnly);
    loading >> value;
    EXPECT_EQ(value, 2);
    loading.Close();
    EXPECT_EQ(cause([&] { loading >> value; }), CArchiveException::genericException);

    CMemFile output;
    CArchive storing(&output, CArchive::store);
    storing << 5;
    EXPECT_EQ(cause([&] { storing >> value; }), CArchiveException::writeOnly);
    EXPECT_EQ(cause([&] { storing.Read(&value, 4); }), CArchiveException::writeOnly);
    storing.Close();
    EXPECT_EQ(output.GetBytes(), (Bytes{5, 0, 0, 0}));
    // Nothing is kept after Close: a value would be lost without a word.
    EXPECT_EQ(cause([&] { storing << 6; }), CArchiveException::genericException);
    EXPECT_EQ(output.GetLength(), 4u);
}

TEST(CArchive, BlocksBeyondFourGibibytesGoThroughWhole)
{
    if (sizeof(std::size_t) < 8)
        GTEST_SKIP() << "a block beyond 4 GiB does not fit the address space of a 32-bit build";
    struct Record {
        double a, b;
    };
    const int count = (1 << 28) + 1;
    const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(Record);
    // Anonymous pages that are never touched cost no memory.
    void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    Record* records = static_cast<Record*>(pages);
    {
        CountingFile file;
        CArchive ar(&file, CArchive::store);
        SerializeElements(ar, records, count);
        ar.Close();
        EXPECT_EQ(file.GetLength(), bytes);
    }
    {
        CountingFile file(bytes + 1);
        CArchive ar(&file, CArchive::load);
        SerializeElements(ar, records, count);
        EXPECT_EQ(ar.GetBytesAvailable(), 1u);
    }
    {
        CountingFile file(bytes - 1);
        CArchive ar(&file, CArchive::load);
        try {
            SerializeElements(ar, records, count);
            ADD_FAILURE() << "a short block was taken as whole";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        }
    }
    munmap(pages, bytes);
}

TEST(CMemFile, SeeksBeyondTheEndAndRefusesPositionsOutOfRange)
{
    CMemFile file;
    file.Write("abcd", 4);
    EXPECT_EQ(file.Seek(2, CFile::end), 6u);
    file.Write("x", 1);
    EXPECT_EQ(file.GetBytes(), (Bytes{'a', 'b', 'c', 'd', 0, 0, 'x'}));
    char c;
    EXPECT_EQ(file.Seek(100, CFile::begin), 100u);
    EXPECT_EQ(file.Read(&c, 1), 0u);

    file.Seek(3, CFile::begin);
    EXPECT_THROW(file.Seek(-4, CFile::current), CFileException);
    EXPECT_THROW(file.Seek(LLONG_MAX, CFile::current), CFileException);
    EXPECT_THROW(file.Seek(LLONG_MAX, CFile::end), CFileException);
    EXPECT_EQ(file.GetPosition(), 3u);
    EXPECT_EQ(file.Read(&c, 1), 1u);
    EXPECT_EQ(c, 'd');

    // Positions are 64-bit offsets on every build, even beyond what memory holds.
    const long long far = 5LL << 30;
    EXPECT_EQ(file.Seek(far, CFile::begin), static_cast<ULONGLONG>(far));
    EXPECT_EQ(file.Seek(1, CFile::current), static_cast<ULONGLONG>(far + 1));
    EXPECT_EQ(file.Read(&c, 1), 0u);
    if (sizeof(std::size_t) < 8) {
        EXPECT_THROW(file.Write("y", 1), std::bad_alloc);
    }
    EXPECT_EQ(file.GetLength(), 7u);
}

TEST(CArchive, WorksOverADiskFile)
{
    char path[] = "/tmp/orvcore-archive-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        ar << CString("disk") << 3.5;
        ar.Close();
    }
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeRead));
        CArchive ar(&file, CArchive::load);
        CString s;
        double d;
        ar >> s >> d;
        EXPECT_EQ(s, "disk");
        EXPECT_EQ(d, 3.5);
        EXPECT_EQ(ar.GetBytesAvailable(), 0u);
    }
    std::remove(path);
    CFile missing;
    EXPECT_FALSE(missing.Open("/nonexistent/dir/file", CFile::modeRead));
}

TEST(CFile, OpensAndSeeksASparseFileBeyondFourGibibytes)
{
    char path[] = "/tmp/orvcore-sparse-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const long long length = (4LL << 30) + 3;
    const bool sparse = ftruncate(fd, static_cast<off_t>(length)) == 0;
    close(fd);
    if (!sparse) {
        std::remove(path);
        GTEST_SKIP() << "the file system refuses a file of 4 GiB";
    }
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate));
        EXPECT_EQ(file.GetLength(), static_cast<ULONGLONG>(length));
        EXPECT_EQ(file.Seek(-2, CFile::end), static_cast<ULONGLONG>(length - 2));
        file.Write("zq", 2);
        EXPECT_EQ(file.GetPosition(), static_cast<ULONGLONG>(length));
        EXPECT_EQ(file.GetLength(), static_cast<ULONGLONG>(length));
        file.Close();
    }
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeRead));
        EXPECT_EQ(file.Seek(length - 3, CFile::begin), static_cast<ULONGLONG>(length - 3));
        CArchive ar(&file, CArchive::load);
        EXPECT_EQ(ar.GetBytesAvailable(), 3u);
        BYTE zero, z, q;
        ar >> zero >> z >> q;
        EXPECT_EQ(zero, 0);
        EXPECT_EQ(z, 'z');
        EXPECT_EQ(q, 'q');
        ar.Close();
        EXPECT_EQ(file.GetPosition(), static_cast<ULONGLONG>(length));
        // Back past the 2 and 4 GiB marks from the current position.
        EXPECT_EQ(file.Seek(-(length - 1), CFile::current), 1u);
    }
    std::remove(path);
}

namespace {

// Runs `body` in a child process that has given up root rights, so that the
// machine's device nodes are only ever opened as an ordinary user. Returns the
// child's report: empty when every check held, "skip: ..." when the child
// could not run the checks, else the first check that failed.
std::string InUnprivilegedChild(const std::function<std::string()>& body)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "skip: no pipe";
    const pid_t pid = fork();
    if (pid < 0)
        return "skip: cannot fork";
    if (pid == 0) {
        close(fds[0]);
        std::string report;
        const gid_t nobody = 65534;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            report = "skip: cannot drop root rights";
        else if (geteuid() == 0)
            report = "skip: still root";
        else
            report = body();
        if (write(fds[1], report.data(), report.size()) < 0)
            _exit(2);
        _exit(0);
    }
    close(fds[1]);
    std::string report;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child process died";
    return report;
}

// "" when step throws CFileException(diskFull) carrying ENOSPC, else what it did.
std::string DiskFullFrom(const std::function<void()>& step)
{
    try {
        step();
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::diskFull && e.m_lOsError == ENOSPC)
            return "";
        return "cause " + std::to_string(e.m_cause) + ", errno " + std::to_string(e.m_lOsError);
    }
    return "reported success";
}

} // namespace

TEST(CFile, SystemErrorsMapToCauses)
{
    EXPECT_EQ(CFileException::FromErrno(ENOSPC).m_cause, CFileException::diskFull);
    EXPECT_EQ(CFileException::FromErrno(EDQUOT).m_cause, CFileException::diskFull);
    const CFileException io = CFileException::FromErrno(EIO);
    EXPECT_EQ(io.m_cause, CFileException::genericException);
    EXPECT_EQ(io.m_lOsError, EIO);
}

TEST(CFile, AFullDeviceFailsEveryWayAWriteCanEnd)
{
    const std::string report = InUnprivilegedChild([]() -> std::string {
        if (access("/dev/full", W_OK) != 0)
            return "skip: /dev/full cannot be written";
        const char* path = "/dev/full";
        const std::function<std::string(const std::function<void(CFile&)>&)> sequence =
            [path](const std::function<void(CFile&)>& steps) -> std::string {
            CFile file;
            if (!file.Open(path, CFile::modeWrite))
                return "cannot open";
            std::string failure = DiskFullFrom([&] { steps(file); });
            if (file.IsOpen()) {
                try {
                    file.Close(); // may raise again; it releases the file either way
                } catch (const CFileException&) {
                }
            }
            if (failure.empty() && file.IsOpen())
                failure = "still open after Close";
            return failure;
        };
        const std::pair<const char*, std::function<void(CFile&)>> cases[] = {
            {"Write, Flush, Close", [](CFile& f) { f.Write("abc", 3); f.Flush(); f.Close(); }},
            {"Write, GetLength, Close", [](CFile& f) { f.Write("abc", 3); f.GetLength(); f.Close(); }},
            {"Write, Seek", [](CFile& f) { f.Write("abc", 3); f.Seek(0, CFile::begin); }},
            {"Write, Close", [](CFile& f) { f.Write("abc", 3); f.Close(); }},
            {"archive Close, Close", [](CFile& f) {
                 CArchive ar(&f, CArchive::store);
                 ar << CString("a document") << 1.5;
                 ar.Close();
                 f.Close();
             }},
        };
        for (const auto& c : cases) {
            std::string failure = sequence(c.second);
            if (!failure.empty())
                return std::string(c.first) + ": " + failure;
        }
        return "";
    });
    if (report.rfind("skip: ", 0) == 0)
        GTEST_SKIP() << report.substr(6);
    EXPECT_EQ(report, "");
}

TEST(CFile, SetLengthTruncatesAndExtendsADiskFile)
{
    char path[] = "/tmp/orvcore-length-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeReadWrite));
        file.Write("hello", 5);
        file.SetLength(2); // the buffered bytes are written before the cut
        EXPECT_EQ(file.GetLength(), 2u);
        file.SetLength(6);
        EXPECT_EQ(file.GetLength(), 6u);
        file.Seek(0, CFile::begin);
        char bytes[7] = {};
        EXPECT_EQ(file.Read(bytes, 7), 6u);
        EXPECT_EQ(std::string(bytes, 6), std::string("he\0\0\0\0", 6));
        file.Close();
        EXPECT_THROW(file.SetLength(1), CFileException);
    }
    std::remove(path);
}
