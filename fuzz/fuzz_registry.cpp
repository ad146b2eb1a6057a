// Fuzzes the registry file of a Wine prefix ("system.reg"): the first value
// of a key is text that fits the host's buffers, a key put in front of the
// bytes is still read right, and the Windows path read from it turns into a
// path of this system (inside a prefix of its own, an empty temporary
// folder).

#include "EmptyWinePrefix.h"
#include "FuzzCheck.h"

#include "platform/HostRegistry.h"
#include "store/HostStore.h"

using namespace stanzary;
using stanzary::fuzz::check;

namespace {

void checkValue(const std::optional<QString> &value)
{
    if (!value)
        return;
    check(!value->isEmpty() && value->size() < 255 && !value->contains(QChar(0)));
    const QString local = fuzz::emptyWinePrefix().localPath(*value);
    check(!local.contains(u'\\'));
    check(local.endsWith(u'/') == (value->endsWith(u'\\') || value->endsWith(u'/')));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    checkValue(registryFirstValue(bytes, hostRegistryKey()));
    // A key named in the input itself: the text of its first line after "[".
    const qsizetype end = bytes.indexOf(']');
    if (bytes.startsWith('[') && end > 1)
        checkValue(registryFirstValue(bytes, QString::fromUtf8(bytes.mid(1, end - 1))));

    const QByteArray known = "[Software\\\\Known] 1\n@=\"C:\\\\Program Files\\\\Host\"\n";
    check(registryFirstValue(known + bytes, QStringLiteral("Software\\Known"))
          == std::optional<QString>(QStringLiteral("C:\\Program Files\\Host")));
    return 0;
}
