#include "core/nml/nMetaTextReader.h"

#include "core/base/nAutoArray.h"
#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "core/nml/nMetaBinaryEncoding.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextScan.h"
#include "platform/nPlatform.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

namespace
{
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal digits at the cursor, saturated above 32 bits so that no count from the text can wrap.
bool ReadCount(const char*& cursor, const char* end, uint64_t& value)
{
    if (cursor >= end || !IsDigit(*cursor))
        return false;
    value = 0;
    for (; cursor < end && IsDigit(*cursor); ++cursor)
        if (value <= UINT32_MAX)
            value = value * 10 + static_cast<uint64_t>(*cursor - '0');
    return true;
}

} // namespace

nMetaTextReader::nMetaTextReader(nMetaFile& file) : nMetaTextReader(file, nullptr, 0, false) {}

nMetaTextReader::nMetaTextReader(nMetaFile& file, const IncludeLink* includes, uint32_t baseDepth,
                                 bool included)
    : m_file(file), m_shownName(ShownPath(file.GetFileName().GetText())), m_includes(includes),
      m_budget(includes ? includes->budget : &m_ownBudget), m_baseDepth(baseDepth), m_included(included)
{
}

// Log lines name a file as the user knows it, without the mount prefix the program put before it.
nString nMetaTextReader::ShownPath(const char* path)
{
    return nPlatform::Get().GetIOSystem().StripSystemPrefix(nString(path));
}

bool nMetaTextReader::Load(nMetaFile& file, const char* path)
{
    if (!path)
    {
        nLogHolder::Get() << "[!] No filename specified.\n";
        return false;
    }
    return LoadNested(file, path, ResolveIdentity(path), nullptr, nullptr, 0);
}

// Content made on other systems names one file in several ways ("./a.nml", "A.NML", "x/../a.nml"):
// the file system's own resolution and a normalised form make them compare equal.
nString nMetaTextReader::ResolveIdentity(const char* path)
{
    nString native;
    nPlatform::Get().GetIOSystem().GetNativePath(native, nString(path));
    std::string text(native.GetText() ? native.GetText() : "", native.GetLength());
    for (char& c : text)
        if (c == '\\')
            c = '/';
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(text, error);
    if (error)
        resolved = std::filesystem::path(text).lexically_normal();
    return nString(resolved.generic_string().c_str());
}

bool nMetaTextReader::LoadNested(nMetaFile& file, const char* path, const nString& identity,
                                 const IncludeLink* includes, IncludeBudget* budget, uint32_t baseDepth)
{
    file.SetFileName(path);
    const bool included = budget != nullptr;
    IncludeBudget ownBudget;
    IncludeLink link{identity, includes, includes ? includes->depth + 1 : 0, included ? budget : &ownBudget};
    nAutoArray<uint8_t> block(MemCategoryFilesystem);
    if (!nPlatform::Get().GetIOSystem().LoadFile(nString(path), block))
    {
        nLogHolder::Get() << "[!] Could not access file '" << ShownPath(path) << "'.\n";
        return false;
    }
    if (included)
        budget->bytes += block.GetCount();
    nMetaTextReader reader(file, &link, baseDepth, included);
    if (!reader.Parse(reinterpret_cast<const char*>(block.GetData()), block.GetCount()))
    {
        nLogHolder::Get() << "[!] Could not parse file '" << ShownPath(path) << "'.\n";
        return false;
    }
    return true;
}

bool nMetaTextReader::Parse(const char* text, size_t length)
{
    m_end = text + length;
    m_file.GetRoots().Clear(true);
    const char* cursor = text;
    std::unique_ptr<nMetaTag> header(new nMetaTag());
    if (!header || !ParseTagAt(header.get(), cursor, m_baseDepth))
    {
        nLogHolder::Get() << "[!] Invalid metafile.\n";
        return false;
    }
    if (header->GetName() != "NML")
    {
        nLogHolder::Get() << "[!] Unknown metafile variant.\n";
        return false;
    }
    CheckVersion(*header);
    cursor = TextSkipBlanks(cursor, m_end);
    while (cursor < m_end)
    {
        nMetaTag* tag = m_file.AddRoot(new (nMetaTagStorage::Chunks) nMetaTag());
        if (!tag)
            return false;
        if (!ParseTagAt(tag, cursor, m_baseDepth))
        {
            delete tag;
            return false;
        }
        cursor = TextSkipBlanks(cursor, m_end);
    }
    return true;
}

bool nMetaTextReader::ParseTag(nMetaTag* tag, const char* cursor, const char* end, const char*& newCursor)
{
    if (!tag)
    {
        nLogHolder::Get() << "[!] No tag to parse in file '" << m_shownName << "'.\n";
        return false;
    }
    m_end = end;
    if (!ParseTagAt(tag, cursor, m_baseDepth))
        return false;
    newCursor = cursor;
    return true;
}

void nMetaTextReader::CheckVersion(const nMetaTag& header) const
{
    const nMetaTagValue& version = header.GetValue();
    float real = 0.0f;
    int32_t integer = 0;
    switch (version.GetType())
    {
    case TagTypeReal:
        version.GetFloat(real);
        if (real > 1.0f)
            nLogHolder::Get() << "[*] Newer version NML header found (" << real << ">"
                              << "1"
                              << ").\n";
        break;
    case TagTypeInteger:
        version.GetInt(integer);
        if (integer >= 2)
            nLogHolder::Get() << "[*] Newer version NML header found (" << integer << ">"
                              << "1"
                              << ").\n";
        break;
    default:
        nLogHolder::Get() << "[*] Unknown NML header version identification method.\n";
        break;
    }
}

bool nMetaTextReader::StartsWith(const char* cursor, const char* word) const
{
    size_t length = std::strlen(word);
    return static_cast<size_t>(m_end - cursor) >= length && std::memcmp(cursor, word, length) == 0;
}

bool nMetaTextReader::Fail(const char* message, const nMetaTag* tag, const char* closing) const
{
    nLogHolder::Get() << "[!] In file '" << m_shownName << "': " << message << tag->GetName() << closing;
    return false;
}

// A tag with a value takes no children; written back, a tag holding both would lose its children.
bool nMetaTextReader::CanTakeValue(const nMetaTag* tag) const
{
    return tag->GetChildCount() == 0 || Fail("Value following child tags, metatag '", tag);
}

bool nMetaTextReader::ParseTagAt(nMetaTag* tag, const char*& cursor, uint32_t depth)
{
    cursor = TextSkipBlanks(cursor, m_end);
    if (cursor >= m_end || *cursor != '<')
        return false;
    ++cursor;
    if (m_included)
        ++m_budget->tags;
    const char* nameEnd = TextFindTokenEnd(cursor, m_end, false);
    tag->SetId(nString(cursor, nameEnd));
    if (tag->GetName().GetLength() != static_cast<uint32_t>(nameEnd - cursor))
        return Fail("Failed to allocate the name of a metatag '", tag);
    if (depth >= MaxTagDepth)
        return Fail("Tags nest too deeply, metatag '", tag);
    cursor = TextSkipBlanks(nameEnd, m_end);
    if (cursor >= m_end)
        return Fail("Mangled definition, metatag '", tag);
    if (*cursor == '>')
    {
        ++cursor;
        return true;
    }
    if (*cursor != '=')
        return Fail("Unexpected trailing expression after metatag '", tag, "' name declaration.\n");
    cursor = TextSkipBlanks(cursor + 1, m_end);
    if (cursor >= m_end)
        return Fail("Mangled definition, metatag '", tag);
    while (true)
    {
        char c = *cursor;
        if (c == '>')
        {
            ++cursor;
            return true;
        }
        if (c == '#')
        {
            if (StartsWith(cursor + 1, "include"))
            {
                if (!Include(tag, cursor, depth))
                    return false;
            }
            else if (StartsWith(cursor + 1, "append"))
                return CanTakeValue(tag) && Append(tag, cursor);
            else
                return Fail("Unknown preprocessor directive, metatag '", tag);
        }
        else if (c == '<')
        {
            nMetaTag* child = new (nMetaTagStorage::Chunks) nMetaTag();
            if (!child)
                return Fail("Failed to allocate a child tag, metatag '", tag);
            tag->GetChildren().Add(child);
            // The innermost failure has said what and where.
            if (!ParseTagAt(child, cursor, depth + 1))
                return false;
        }
        else if (c == '=')
            return CanTakeValue(tag) && ParseBinary(tag, cursor);
        else if (IsDigit(c) || c == '.' || c == '-')
            return CanTakeValue(tag) && ParseNumber(tag, cursor);
        else if (c == '"')
            return CanTakeValue(tag) && ParseString(tag, cursor);
        else if (StartsWith(cursor, "True"))
        {
            cursor += 4;
            return CanTakeValue(tag) && ParseBool(tag, cursor, true);
        }
        else if (StartsWith(cursor, "False"))
        {
            cursor += 5;
            return CanTakeValue(tag) && ParseBool(tag, cursor, false);
        }
        else
        {
            const char byte[2] = {c, '\0'};
            nLogHolder::Get() << "[!] In file '" << m_shownName << "': Unexpected '" << byte
                              << "' in assignation, metatag '" << tag->GetName() << "'.\n";
            return false;
        }
        cursor = TextSkipBlanks(cursor, m_end);
        if (cursor >= m_end)
            return Fail("Mangled definition, metatag '", tag);
    }
}

bool nMetaTextReader::ParseNumber(nMetaTag* tag, const char*& cursor)
{
    const char* digits = *cursor == '-' ? cursor + 1 : cursor;
    const char* tokenEnd = TextFindTokenEnd(digits, m_end, false);
    if (tokenEnd >= m_end || *tokenEnd != '>')
        return Fail("Unexpected trailing expression following value, metatag '", tag);
    const bool real = std::any_of(digits, tokenEnd, [](char c) { return c == '.' || c == 'f'; });
    if (real)
        tag->GetValue().SetFloat(static_cast<float>(StringToFloat(cursor, tokenEnd, true)));
    else
        tag->GetValue().SetInt(StringToInt(cursor, tokenEnd));
    cursor = tokenEnd + 1;
    return true;
}

bool nMetaTextReader::ParseString(nMetaTag* tag, const char*& cursor)
{
    const char* begin = cursor + 1;
    const char* close = TextFindClosingQuote(begin, m_end);
    if (close >= m_end)
        return Fail("Mangled string declaration, metatag '", tag);
    if (!StoreString(tag, nString(begin, close), static_cast<size_t>(close - begin)))
        return false;
    cursor = TextSkipBlanks(close + 1, m_end);
    if (cursor >= m_end)
        return Fail("Unexpected EOF after string declaration, metatag '", tag);
    if (*cursor != '>')
        return Fail("Unexpected trailing expression following string object, metatag '", tag);
    ++cursor;
    return true;
}

bool nMetaTextReader::ParseBool(nMetaTag* tag, const char*& cursor, bool value)
{
    cursor = TextSkipBlanks(cursor, m_end);
    if (cursor >= m_end || *cursor != '>')
        return Fail("Unexpected trailing expression following value, metatag '", tag);
    tag->GetValue().SetBool(value);
    ++cursor;
    return true;
}

// "==" encoded length ":" decoded size, "@" for yEnc, LF, the encoded block, ">".
bool nMetaTextReader::ParseBinary(nMetaTag* tag, const char*& cursor)
{
    const char* p = cursor + 1;
    uint64_t encodedLength = 0;
    uint64_t size = 0;
    if (!ReadCount(p, m_end, encodedLength))
        return Fail("Expected encoded size in binary tag '", tag, "' declaration.\n");
    if (p >= m_end || *p != ':')
        return Fail("Expected size delimiter in binary tag '", tag, "' declaration.\n");
    ++p;
    if (!ReadCount(p, m_end, size))
        return Fail("Expected binary size in binary tag '", tag, "' declaration.\n");
    bool yEnc = p < m_end && *p == '@';
    if (yEnc)
        ++p;
    if (p >= m_end || *p != '\n')
        return Fail("Expected EOL following binary size in binary tag '", tag, "' declaration.\n");
    ++p;
    if (encodedLength >= static_cast<uint64_t>(m_end - p) || p[encodedLength] != '>')
        return Fail("Expected closing tag in tag '", tag);
    // Neither encoding yields more bytes than it has characters, so a larger size is not data.
    if (size > encodedLength)
        return Fail("Binary size exceeds its encoded length in binary tag '", tag, "' declaration.\n");
    const char* block = p;
    cursor = p + encodedLength + 1;

    // Decoded straight into the value: a block of tens of megabytes is neither copied nor cleared twice.
    uint8_t* data = tag->GetValue().AllocateBinary(static_cast<uint32_t>(size));
    if (!data)
        return Fail("Failed to allocate binary buffer in binary tag '", tag, "' declaration.\n");
    const size_t decoded =
        yEnc ? DecodeYEnc(block, encodedLength, data, size) : DecodeUU(block, encodedLength, data, size);
    std::memset(data + decoded, 0, size - decoded); // bytes a short block does not supply
    return true;
}

bool nMetaTextReader::Include(nMetaTag* tag, const char*& cursor, uint32_t depth)
{
    const char* p = TextSkipBlanks(cursor + 8, m_end); // past "#include"
    if (p >= m_end || *p != '(')
    {
        nLogHolder::Get() << "[!] Mangled #include directive in file '" << m_shownName << "'.\n";
        return false;
    }
    nString path;
    while (true)
    {
        p = TextSkipBlanks(p + 1, m_end); // past "(" or the byte between two names
        if (p >= m_end || *p != '"')
        {
            nLogHolder::Get() << "[!] Unexpected character in #include directive.\n";
            return false;
        }
        const char* open = p + 1;
        const char* close = TextFindClosingQuote(open, m_end);
        p = close < m_end ? TextSkipBlanks(close + 1, m_end) : m_end;
        if (p >= m_end)
        {
            nLogHolder::Get() << "[!] Mangled #include directive in file '" << m_shownName << "'.\n";
            return false;
        }
        path.Set(open, close);
        if (*p == ')')
            break;
    }
    cursor = p + 1;
    IncludeFile(tag, path.GetText() ? path.GetText() : "", depth);
    return true;
}

void nMetaTextReader::IncludeFile(nMetaTag* tag, const char* path, uint32_t depth)
{
    const nString identity = ResolveIdentity(path);
    for (const IncludeLink* link = m_includes; link; link = link->outer)
    {
        if (link->identity == identity)
        {
            nLogHolder::Get() << "[!] Failed to include external NML file '" << path << "' from file '"
                              << m_shownName << "': it is already being read.\n";
            return;
        }
    }
    if (m_includes && m_includes->depth + 1 >= MaxIncludeDepth)
    {
        nLogHolder::Get() << "[!] Failed to include external NML file '" << path << "' from file '"
                          << m_shownName << "': includes nest deeper than " << MaxIncludeDepth << ".\n";
        return;
    }
    if (m_budget->bytes >= MaxIncludedBytes || m_budget->tags >= MaxIncludedTags)
    {
        // Said once: a runaway expansion would otherwise log every include it skips.
        if (!m_budget->exhausted)
            nLogHolder::Get() << "[!] Failed to include external NML file '" << path << "' from file '"
                              << m_shownName << "': the files included by this load exceed "
                              << (MaxIncludedBytes >> 20) << " MiB or " << MaxIncludedTags
                              << " tags; further includes are skipped.\n";
        m_budget->exhausted = true;
        return;
    }
    std::unique_ptr<nMetaFile> included(new nMetaFile());
    if (!LoadNested(*included, path, identity, m_includes, m_budget, depth + 1))
    {
        nLogHolder::Get() << "[!] Failed to include external NML file '" << path << "' from file '"
                          << m_shownName << "'.\n";
        return;
    }
    while (auto* root = static_cast<nMetaTag*>(included->GetRoots().GetHead()))
    {
        if (!included->RemoveRoot(root))
        {
            nLogHolder::Get() << "[!] Could not relink root tag from included metafile in file '"
                              << m_shownName << "'.\n";
            return;
        }
        tag->GetChildren().Add(root);
    }
}

// Pieces are quoted texts or "<" path ">" naming a String tag parsed earlier; one byte after
// each piece is skipped before the next, and ")" must follow the last piece at once.
bool nMetaTextReader::Append(nMetaTag* tag, const char*& cursor)
{
    const char* p = TextSkipBlanks(cursor + 7, m_end); // past "#append"
    if (p >= m_end || *p != '(')
        return Fail("Mangled preprocessor directive, metatag '", tag);
    nString text;
    while (true)
    {
        p = TextSkipBlanks(p + 1, m_end);
        if (p < m_end && *p == ',')
            p = TextSkipBlanks(p + 1, m_end);
        if (p >= m_end)
            return Fail("Unexpected character in preprocessor directive, metatag '", tag);
        const char* after = nullptr;
        if (*p == '<')
        {
            const char* close = TextFindOutsideParentheses(p + 1, m_end, '>');
            if (!close)
                return Fail("Mangled tag declaration in preprocessor directive, metatag '", tag);
            nString path(p + 1, close);
            nMetaTag* found = MetaFindTagInList(&m_file.GetRoots(), path.GetText(), false);
            if (!found)
            {
                nLogHolder::Get() << "[!] In file '" << m_shownName << "': Preprocessor argument tag '"
                                  << path << "' not found, metatag '" << tag->GetName() << "'.\n";
                return false;
            }
            if (found->GetType() != TagTypeString)
            {
                nLogHolder::Get() << "[!] In file '" << m_shownName
                                  << "': Preprocessor directive #append only support string, metatag '"
                                  << found->GetName() << "'.\n";
                return false;
            }
            if (!AppendPiece(tag, text, found->GetValue().GetText()))
                return false;
            p = close;
            after = close + 1;
        }
        else if (*p == '"')
        {
            const char* close = TextFindClosingQuote(p + 1, m_end);
            if (close >= m_end)
                return Fail("Mangled shortcut declaration, metatag '", tag);
            if (!AppendPiece(tag, text, nString(p + 1, close)))
                return false;
            p = close + 1;
            after = p;
        }
        else
            return Fail("Unexpected character in preprocessor directive, metatag '", tag);
        if (after >= m_end)
            return Fail("Unexpected character in preprocessor directive, metatag '", tag);
        if (*after == ')')
        {
            p = after;
            break;
        }
    }
    p = TextSkipBlanks(p + 1, m_end);
    if (p >= m_end || *p != '>')
        return Fail("Unexpected trailing expression following string object, metatag '", tag);
    const uint32_t length = text.GetLength();
    if (!StoreString(tag, std::move(text), length))
        return false;
    m_budget->bytes += length;
    cursor = p + 1;
    return true;
}

// Appended text counts against the budget of the load as included text does: a few lines that
// each double a string would otherwise ask for gigabytes.
bool nMetaTextReader::AppendPiece(const nMetaTag* tag, nString& text, const nString& piece)
{
    // A quoted piece ends at a NUL byte as a String value does.
    const size_t pieceLength = piece.GetText() ? strnlen(piece.GetText(), piece.GetLength()) : 0;
    const uint64_t length = uint64_t(text.GetLength()) + pieceLength;
    if (m_budget->bytes + length > MaxIncludedBytes)
        return Fail("#append makes more text than the 64 MiB one load may hold, metatag '", tag);
    text += piece;
    if (text.GetLength() != length)
        return Fail("Failed to allocate #append text, metatag '", tag);
    return true;
}

// A copy that could not be allocated must fail the load, not leave an empty value behind.
// A String value ends at its first NUL byte (NML has no escapes, so a raw one is all a file can
// hold): every consumer reads the text up to there, and a value that kept the rest would not
// survive a write and a read back.
bool nMetaTextReader::StoreString(nMetaTag* tag, nString&& text, size_t length)
{
    if (text.GetLength() != length)
        return Fail("Failed to allocate string, metatag '", tag);
    if (length)
        if (const void* nul = std::memchr(text.GetText(), '\0', length))
        {
            const size_t kept = static_cast<size_t>(static_cast<const char*>(nul) - text.GetText());
            text = nString(text.GetText(), text.GetText() + kept);
            if (text.GetLength() != kept)
                return Fail("Failed to allocate string, metatag '", tag);
        }
    tag->GetValue().SetString(std::move(text));
    return true;
}
