// Runs a fuzz target once over every file of the folders (or files) named on
// the command line, without libFuzzer: the regression pass over the seed
// corpora that the test suite runs with any compiler. A failed expectation
// aborts as it does under libFuzzer; a folder without inputs is an error, so
// that a misplaced corpus cannot pass unnoticed.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

bool runOne(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::fprintf(stderr, "%s\n", qPrintable(path));
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder or file>...\n", argv[0]);
        return 2;
    }
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QFile::decodeName(argv[i]);
        const QStringList files = QFileInfo(arg).isDir() ? QDir(arg).entryList(QDir::Files | QDir::Hidden, QDir::Name)
                                                         : QStringList{QString()};
        if (files.isEmpty()) {
            std::fprintf(stderr, "no inputs in %s\n", qPrintable(arg));
            return 1;
        }
        for (const QString &name : files) {
            if (!runOne(name.isEmpty() ? arg : arg + u'/' + name))
                return 1;
            ++inputs;
        }
    }
    std::fprintf(stderr, "%d inputs ran\n", inputs);
    return 0;
}
