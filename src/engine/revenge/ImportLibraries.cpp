// WordPerfect, Works and other DOS-era word processors, old Mac word
// processors, Pages, StarWriter and AbiWord, read by the librevenge family of
// import libraries into the one document model through TextCollector.

#include "engine/revenge/ImportLibraries.h"

#include "engine/ErrorText.h"
#include "engine/Limits.h"
#include "engine/TextEncoding.h"
#include "engine/docx/ZipPackage.h"
#include "engine/revenge/TextCollector.h"

#include <algorithm>
#include <libabw/libabw.h>
#include <libetonyek/libetonyek.h>
#include <libmwaw/libmwaw.hxx>
#include <librevenge-stream/librevenge-stream.h>
#include <libstaroffice/libstaroffice.hxx>
#include <libwpd/libwpd.h>
#include <libwps/libwps.h>
#include <new>
#include <zip.h>
#include <zlib.h>

namespace plainora::engine {

namespace {

// What a library says of the content before it parses it.
struct Detection
{
    bool recognised = false;
    bool encrypted = false;
    // Set when the library knows the content but it is no text document
    // ("a Works spreadsheet"): the engine says so instead of reading it.
    std::string otherKind;
};

Detection detect(ImportLibrary library, librevenge::RVNGInputStream& input)
{
    input.seek(0, librevenge::RVNG_SEEK_SET);
    Detection found;
    switch (library) {
    case ImportLibrary::WordPerfect: {
        const auto confidence = libwpd::WPDocument::isFileFormatSupported(&input);
        found.recognised = confidence != libwpd::WPD_CONFIDENCE_NONE;
        found.encrypted = confidence == libwpd::WPD_CONFIDENCE_SUPPORTED_ENCRYPTION ||
                          confidence == libwpd::WPD_CONFIDENCE_UNSUPPORTED_ENCRYPTION;
        break;
    }
    case ImportLibrary::Works: {
        libwps::WPSKind kind = libwps::WPS_TEXT;
        libwps::WPSCreator creator = libwps::WPS_MSWORKS;
        bool needsEncoding = false;
        const auto confidence =
            libwps::WPSDocument::isFileFormatSupported(&input, kind, creator, needsEncoding);
        found.recognised = confidence != libwps::WPS_CONFIDENCE_NONE;
        found.encrypted = confidence == libwps::WPS_CONFIDENCE_SUPPORTED_ENCRYPTION;
        if (kind == libwps::WPS_SPREADSHEET)
            found.otherKind = "a spreadsheet (Works, Lotus or Quattro Pro)";
        else if (kind == libwps::WPS_DATABASE)
            found.otherKind = "a Works database";
        break;
    }
    case ImportLibrary::Mac: {
        MWAWDocument::Type type = MWAWDocument::MWAW_T_UNKNOWN;
        MWAWDocument::Kind kind = MWAWDocument::MWAW_K_UNKNOWN;
        const auto confidence = MWAWDocument::isFileFormatSupported(&input, type, kind);
        found.recognised = confidence != MWAWDocument::MWAW_C_NONE;
        found.encrypted = confidence == MWAWDocument::MWAW_C_SUPPORTED_ENCRYPTION ||
                          confidence == MWAWDocument::MWAW_C_UNSUPPORTED_ENCRYPTION;
        if (kind != MWAWDocument::MWAW_K_TEXT)
            found.otherKind = "an old Macintosh drawing, spreadsheet or database";
        break;
    }
    case ImportLibrary::Pages: {
        auto type = libetonyek::EtonyekDocument::TYPE_UNKNOWN;
        const auto confidence = libetonyek::EtonyekDocument::isSupported(&input, &type);
        found.recognised = confidence == libetonyek::EtonyekDocument::CONFIDENCE_EXCELLENT;
        if (type == libetonyek::EtonyekDocument::TYPE_KEYNOTE)
            found.otherKind = "a Keynote presentation";
        else if (type == libetonyek::EtonyekDocument::TYPE_NUMBERS)
            found.otherKind = "a Numbers spreadsheet";
        break;
    }
    case ImportLibrary::StarOffice: {
        STOFFDocument::Kind kind = STOFFDocument::STOFF_K_UNKNOWN;
        const auto confidence = STOFFDocument::isFileFormatSupported(&input, kind);
        found.recognised = confidence != STOFFDocument::STOFF_C_NONE;
        found.encrypted = confidence == STOFFDocument::STOFF_C_SUPPORTED_ENCRYPTION ||
                          confidence == STOFFDocument::STOFF_C_UNSUPPORTED_ENCRYPTION;
        if (kind != STOFFDocument::STOFF_K_TEXT)
            found.otherKind = "a StarOffice file that is not a text document";
        break;
    }
    case ImportLibrary::AbiWord:
        found.recognised = libabw::AbiDocument::isFileFormatSupported(&input);
        break;
    }
    input.seek(0, librevenge::RVNG_SEEK_SET);
    return found;
}

enum class Outcome { Ok, Encrypted, Failed };

Outcome parse(ImportLibrary library, librevenge::RVNGInputStream& input,
              librevenge::RVNGTextInterface& collector)
{
    switch (library) {
    case ImportLibrary::WordPerfect: {
        const auto result = libwpd::WPDocument::parse(&input, &collector, nullptr);
        if (result == libwpd::WPD_UNSUPPORTED_ENCRYPTION_ERROR ||
            result == libwpd::WPD_PASSWORD_MISSMATCH_ERROR)
            return Outcome::Encrypted;
        return result == libwpd::WPD_OK ? Outcome::Ok : Outcome::Failed;
    }
    case ImportLibrary::Works: {
        const auto result = libwps::WPSDocument::parse(&input, &collector);
        if (result == libwps::WPS_ENCRYPTION_ERROR)
            return Outcome::Encrypted;
        return result == libwps::WPS_OK ? Outcome::Ok : Outcome::Failed;
    }
    case ImportLibrary::Mac: {
        const auto result = MWAWDocument::parse(&input, &collector);
        if (result == MWAWDocument::MWAW_R_PASSWORD_MISSMATCH_ERROR)
            return Outcome::Encrypted;
        return result == MWAWDocument::MWAW_R_OK ? Outcome::Ok : Outcome::Failed;
    }
    case ImportLibrary::Pages:
        return libetonyek::EtonyekDocument::parse(&input, &collector) ? Outcome::Ok : Outcome::Failed;
    case ImportLibrary::StarOffice: {
        const auto result = STOFFDocument::parse(&input, &collector);
        if (result == STOFFDocument::STOFF_R_PASSWORD_MISSMATCH_ERROR)
            return Outcome::Encrypted;
        return result == STOFFDocument::STOFF_R_OK ? Outcome::Ok : Outcome::Failed;
    }
    case ImportLibrary::AbiWord:
        return libabw::AbiDocument::parse(&input, &collector) ? Outcome::Ok : Outcome::Failed;
    }
    return Outcome::Failed;
}

const char* formatName(ImportLibrary library)
{
    switch (library) {
    case ImportLibrary::WordPerfect:
        return "WordPerfect document";
    case ImportLibrary::Works:
        return "Works or DOS word-processor document";
    case ImportLibrary::Mac:
        return "Macintosh word-processor document";
    case ImportLibrary::Pages:
        return "Pages document";
    case ImportLibrary::StarOffice:
        return "StarWriter document";
    case ImportLibrary::AbiWord:
        return "AbiWord document";
    }
    return "document";
}

Error encryptedError(ImportLibrary library)
{
    return passwordProtected(formatName(library));
}

Result<Document> readDetected(ImportLibrary library, const Detection& detection,
                              librevenge::RVNGInputStream& input, const ReadOptions& options)
{
    if (!detection.otherKind.empty())
        return looksLike(detection.otherKind);
    if (detection.encrypted)
        return encryptedError(library);
    TextBudget budget;
    revenge::TextCollector collector(options, budget);
    Outcome outcome = Outcome::Failed;
    try {
        outcome = parse(library, input, collector);
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    } catch (...) {
        outcome = Outcome::Failed; // a library's own exception is its way of giving up
    }
    if (!budget.status())
        return budget.status().error();
    if (outcome == Outcome::Encrypted)
        return encryptedError(library);
    // Some libraries report a failure after handing over the whole text;
    // a document they ended is kept.
    if (outcome == Outcome::Failed && !collector.documentEnded())
        return damaged("its structure could not be read", {}, formatName(library));
    return collector.finish();
}

// The libraries inflate zip entries and gzip streams whole, trusting what
// they declare. Before a library sees a zip package, every entry is inflated
// once here under the package limits (discarding the bytes), so a zip bomb
// fails as it does for a .docx; a gzip stream (compressed AbiWord) is
// inflated here under the same limits and handed over as plain XML.
//
// Of the libraries only the Pages one reads zip packages, so a package with
// none of its index parts is nobody's: it is declined without inflating.
enum class ZipVerdict { NotPages, WithinLimits };

Result<ZipVerdict> checkZipLimits(ByteView bytes)
{
    auto package = docx::ZipPackage::open(bytes);
    if (!package)
        return package.error().code == ErrorCode::TooLarge ? Result<ZipVerdict>(package.error())
                                                           : Result<ZipVerdict>(ZipVerdict::WithinLimits);
    const auto& names = package.value()->partNames();
    const bool pages = std::any_of(names.begin(), names.end(), [](const std::string& name) {
        const std::string lower = asciiLower(name);
        return lower == "index.xml" || lower == "index.xml.gz" || lower == "index.zip" ||
               lower.starts_with("index/");
    });
    if (!pages)
        return ZipVerdict::NotPages;
    for (const std::string& name : names) {
        Status status = package.value()->read(name, [](std::string_view) { return Status(); });
        if (!status && status.error().code == ErrorCode::TooLarge)
            return status.error();
    }
    return ZipVerdict::WithinLimits;
}

Result<std::string> inflateGzip(ByteView bytes)
{
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return outOfMemory();
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(bytes.size(), UINT32_MAX));
    std::string out;
    int result = Z_OK;
    while (result == Z_OK) {
        if (out.size() >= limits::kMaxArchiveEntryBytes ||
            (out.size() > limits::kMinRatioCheckedBytes &&
             out.size() / limits::kMaxExpansionRatio > bytes.size())) {
            inflateEnd(&stream);
            return tooLarge("its compressed content expands beyond what Plainora reads from one document");
        }
        const std::size_t at = out.size();
        out.resize(at + 65536);
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + at);
        stream.avail_out = 65536;
        result = inflate(&stream, Z_NO_FLUSH);
        out.resize(at + 65536 - stream.avail_out);
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        return damaged("its compressed content is cut short or broken", {},
                       formatName(ImportLibrary::AbiWord));
    return out;
}

constexpr ImportLibrary kLibraries[] = {ImportLibrary::WordPerfect, ImportLibrary::AbiWord,
                                        ImportLibrary::Pages,       ImportLibrary::StarOffice,
                                        ImportLibrary::Works,       ImportLibrary::Mac};

std::unique_ptr<librevenge::RVNGStringStream> streamOver(ByteView bytes)
{
    return std::make_unique<librevenge::RVNGStringStream>(bytes.data(), static_cast<unsigned>(bytes.size()));
}

// A password-protected Pages document is a zip package whose index part is
// compressed by a method of Apple's own, which no library reads.
bool isEncryptedPages(ByteView bytes)
{
    if (bytes.size() < 4 || bytes[0] != 'P' || bytes[1] != 'K')
        return false;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        return false;
    }
    bool encrypted = false;
    for (const char* name : {"index.xml", "index.xml.gz", "Index/Document.iwa"}) {
        zip_stat_t stat;
        if (zip_stat(archive, name, ZIP_FL_NOCASE, &stat) == 0 && (stat.valid & ZIP_STAT_COMP_METHOD) &&
            !zip_compression_method_supported(stat.comp_method, 0))
            encrypted = true;
    }
    zip_discard(archive);
    zip_error_fini(&error);
    return encrypted;
}

bool isZip(ByteView bytes)
{
    return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K';
}

bool isGzip(ByteView bytes)
{
    return bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B;
}

} // namespace

namespace revenge {

std::optional<Result<Document>> readWithAnyLibrary(ByteView bytes, const ReadOptions& options)
{
    if (bytes.empty())
        return std::nullopt;
    if (isGzip(bytes)) {
        auto inflated = inflateGzip(bytes);
        if (!inflated)
            return std::nullopt;
        auto document = readWithLibrary(ImportLibrary::AbiWord, asBytes(inflated.value()), options);
        if (!document && document.error().code == ErrorCode::NotAWordDocument)
            return std::nullopt;
        return document;
    }
    if (isZip(bytes)) {
        auto verdict = checkZipLimits(bytes);
        if (!verdict)
            return Result<Document>(verdict.error());
        if (verdict.value() == ZipVerdict::NotPages)
            return std::nullopt;
    }
    auto input = streamOver(bytes);
    for (ImportLibrary library : kLibraries) {
        Detection detection;
        try {
            detection = detect(library, *input);
        } catch (...) {
            continue; // a detector that throws does not know the content
        }
        if (detection.recognised)
            return readDetected(library, detection, *input, options);
    }
    if (isEncryptedPages(bytes))
        return encryptedError(ImportLibrary::Pages);
    return std::nullopt;
}

Result<Document> readWithLibrary(ImportLibrary library, ByteView bytes, const ReadOptions& options)
{
    if (library == ImportLibrary::AbiWord && isGzip(bytes)) {
        auto inflated = inflateGzip(bytes);
        if (!inflated)
            return inflated.error();
        return readWithLibrary(library, asBytes(inflated.value()), options);
    }
    if (isZip(bytes))
        if (auto verdict = checkZipLimits(bytes); !verdict)
            return verdict.error();
    auto input = streamOver(bytes);
    Detection detection;
    try {
        detection = detect(library, *input);
    } catch (...) {
    }
    if (!detection.recognised && library == ImportLibrary::Pages && isEncryptedPages(bytes))
        return encryptedError(library);
    if (!detection.recognised)
        return notOfKind(formatName(library));
    return readDetected(library, detection, *input, options);
}

} // namespace revenge

} // namespace plainora::engine
