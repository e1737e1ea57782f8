#include "platform/capture_binding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OF_ELF
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#endif

namespace quobel {

namespace {

#ifdef Q_OF_ELF

// The dynamic loader maps every segment of a library straight from its file
// and trusts the sizes the headers give. A segment that reaches past the end
// of a file cut short is mapped all the same, and the first touch of the
// missing part kills the whole program with SIGBUS inside dlopen. So the
// headers are read and every segment held up against the file's real size
// first. Empty when the file holds all it claims to.
QString MissingPart(const QString& path) {
    using Header = ElfW(Ehdr);
    using Segment = ElfW(Phdr);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const quint64 size = quint64(file.size());
    Header header;
    if (file.read(reinterpret_cast<char*>(&header), sizeof header) != qint64(sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return QStringLiteral("不是完整的 ELF 库文件");
    // Another word size or byte order: the loader refuses such a file itself
    // before it maps anything.
    if (header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) ||
        header.e_ident[EI_DATA] != (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB))
        return {};
    if (header.e_phentsize != sizeof(Segment) || header.e_phnum == 0 || header.e_phnum == PN_XNUM)
        return QStringLiteral("程序头表无效");
    const quint64 tableSize = quint64(header.e_phnum) * sizeof(Segment);
    if (header.e_phoff > size || tableSize > size - header.e_phoff)
        return QStringLiteral("文件只有 %1 字节，程序头表在文件末尾之外").arg(size);
    std::vector<Segment> segments(header.e_phnum);
    if (!file.seek(qint64(header.e_phoff)) ||
        file.read(reinterpret_cast<char*>(segments.data()), qint64(tableSize)) != qint64(tableSize))
        return file.errorString();
    for (const Segment& segment : segments) {
        if (segment.p_filesz == 0)
            continue;
        if (segment.p_offset > size || segment.p_filesz > size - segment.p_offset)
            return QStringLiteral("文件只有 %1 字节，其中的段需要 %2 字节")
                .arg(size)
                .arg(quint64(segment.p_offset) + segment.p_filesz);
    }
    return {};
}

// Where the system's ordinary search for a library of the program looks,
// after the program's own folder: LD_LIBRARY_PATH, the program's run path,
// the system's library folders, as the loader itself reports them. The file
// is then loaded by its full name, so the file checked is the file loaded.
QStringList LoaderFolders() {
    QStringList folders;
    void* program = dlopen(nullptr, RTLD_LAZY);
    Dl_serinfo size;
    if (!program || dlinfo(program, RTLD_DI_SERINFOSIZE, &size) != 0)
        return folders;
    const std::unique_ptr<void, decltype(&std::free)> buffer(std::malloc(size.dls_size),
                                                             &std::free);
    auto* info = static_cast<Dl_serinfo*>(buffer.get());
    if (!info)
        return folders;
    *info = size;
    if (dlinfo(program, RTLD_DI_SERINFO, info) != 0)
        return folders;
    for (unsigned int i = 0; i < info->dls_cnt; ++i)
        folders << QFile::decodeName(info->dls_serpath[i].dls_name);
    return folders;
}

QStringList Candidates(const QString& programFolder) {
    const QString file =
        QStringLiteral("lib%1.so").arg(QLatin1String(CaptureLibraryBinding::kLibraryName));
    QStringList candidates;
    for (const QString& folder : QStringList{programFolder} + LoaderFolders()) {
        const QString path = QDir(folder).filePath(file);
        if (!candidates.contains(path))
            candidates << path;
    }
    return candidates;
}

#else

// LoadLibrary checks a DLL's sections against its file before mapping it,
// so a file cut short fails cleanly.
QString MissingPart(const QString&) {
    return {};
}

// Only the program's own folder, by the full path: a bare name would make
// LoadLibrary search the current folder and PATH too, where anyone who can
// write a file could plant a CameraDll.dll to run inside the program.
QStringList Candidates(const QString& programFolder) {
    return {QDir(programFolder)
                .absoluteFilePath(QLatin1String(CaptureLibraryBinding::kLibraryName) +
                                  QStringLiteral(".dll"))};
}

#endif

} // namespace

CaptureLibraryBinding::CaptureLibraryBinding(QString programFolder)
    : programFolder_(std::move(programFolder)) {}

std::optional<CaptureLibraryBinding::Entry> CaptureLibraryBinding::bind(QString* error) {
    if (entry_)
        return entry_;
    // The reason the program folder's copy failed is the one worth telling:
    // that is where the library belongs.
    QString besideProgram;
    for (const QString& candidate : Candidates(programFolder_)) {
        QString reason;
        const QFileInfo file(candidate);
        if (file.isAbsolute() && !file.exists()) {
            reason = QStringLiteral("没有“%1”").arg(QDir::toNativeSeparators(candidate));
        } else if (const QString missing = MissingPart(candidate); !missing.isEmpty()) {
            reason = QStringLiteral("“%1”不完整或已损坏：%2")
                         .arg(QDir::toNativeSeparators(candidate), missing);
        } else {
            library_.setFileName(candidate);
            if (library_.load())
                break;
            reason = library_.errorString();
        }
        if (besideProgram.isEmpty())
            besideProgram = reason;
    }
    if (!library_.isLoaded()) {
#ifdef Q_OF_ELF
        const QString missing =
            QStringLiteral("程序目录“%1”中没有可用的截图库，系统中也找不到（%2）");
#else
        const QString missing = QStringLiteral("程序目录“%1”中没有可用的截图库（%2）");
#endif
        if (error)
            *error = missing.arg(QDir::toNativeSeparators(programFolder_), besideProgram);
        return std::nullopt;
    }
    entry_ = reinterpret_cast<Entry>(library_.resolve(kEntryName));
    if (!entry_) {
        if (error)
            *error = QStringLiteral("“%1”中没有入口 %2")
                         .arg(library_.fileName(), QLatin1String(kEntryName));
        library_.unload();
        return std::nullopt;
    }
    return entry_;
}

std::int32_t CaptureLibraryBinding::call(std::int32_t mode) {
    QString reason;
    const auto entry = bind(&reason);
    if (!entry)
        throw PlatformError(
            QStringLiteral("无法使用截图库“%1”：%2").arg(QLatin1String(kLibraryName), reason),
            PlatformError::Severity::StopsHandler);
    return (*entry)(mode);
}

} // namespace quobel
