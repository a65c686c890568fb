#include "tv/xmltvparser.h"

#include "tv/guide.h"

#include <expat.h>

#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// Bytes a single token (a tag, a comment) may run to before the guide is refused: past
// this libexpat would keep buffering it whole.
constexpr qint64 MaxTokenBytes = 4 * 1024 * 1024;
constexpr qsizetype MaxTextBytes = 4096;
constexpr qsizetype MaxDisplayNames = 32;

bool Is(const char* name, const char* wanted) {
    return std::strcmp(name, wanted) == 0;
}

QByteArrayView Attribute(const char** attributes, const char* wanted) {
    for (const char** a = attributes; *a; a += 2)
        if (Is(a[0], wanted))
            return QByteArrayView(a[1]);
    return {};
}

} // namespace

TXmltvParser::TXmltvParser(TXmltvHandler& handler, const QByteArray& encoding)
    : FParser(XML_ParserCreate(encoding.isEmpty() ? nullptr : encoding.constData())),
      FHandler(handler) {
    if (!FParser)
        throw std::bad_alloc();
    XML_SetUserData(FParser, this);
    XML_SetElementHandler(FParser, &StartElement, &EndElement);
    XML_SetCharacterDataHandler(FParser, &Text);
    XML_SetXmlDeclHandler(FParser, &Declaration);
    XML_SetStartDoctypeDeclHandler(FParser, &StartDoctype);
    XML_SetCommentHandler(FParser, &Marker);
    XML_SetProcessingInstructionHandler(
        FParser, [](void* self, const char*, const char* data) { Marker(self, data); });
}

TXmltvParser::~TXmltvParser() {
    XML_ParserFree(FParser);
}

void TXmltvParser::Stop(const QString& message) {
    if (FStopMessage.isEmpty())
        FStopMessage = message;
    XML_StopParser(FParser, XML_FALSE);
}

void TXmltvParser::Noted() {
    FLastEvent = XML_GetCurrentByteIndex(FParser);
}

void TXmltvParser::Declaration(void* self, const char*, const char* encoding, int) {
    if (encoding)
        static_cast<TXmltvParser*>(self)->FEncoding = encoding;
}

// Rule: a document type with an internal subset may declare entities that expand without
// end; no guide needs one, so it is refused before any is read.
void TXmltvParser::StartDoctype(void* self, const char*, const char*, const char*,
                                int internalSubset) {
    if (internalSubset)
        static_cast<TXmltvParser*>(self)->Stop(
            u"节目单里有文档类型的内部定义（可展开的实体），为安全起见不予读取"_s);
}

void TXmltvParser::Marker(void* self, const char*) {
    static_cast<TXmltvParser*>(self)->Noted();
}

void TXmltvParser::StartElement(void* self, const char* name, const char** attributes) {
    auto* parser = static_cast<TXmltvParser*>(self);
    try {
        parser->Start(name, attributes);
    } catch (...) {
        parser->FHandlerError = std::current_exception();
        parser->Stop(u"-"_s);
    }
}

void TXmltvParser::EndElement(void* self, const char* name) {
    auto* parser = static_cast<TXmltvParser*>(self);
    try {
        parser->End(name);
    } catch (...) {
        parser->FHandlerError = std::current_exception();
        parser->Stop(u"-"_s);
    }
}

void TXmltvParser::Text(void* self, const char* text, int length) {
    auto* parser = static_cast<TXmltvParser*>(self);
    parser->Noted();
    if (parser->FText != EText::None && parser->FTextBytes.size() < MaxTextBytes)
        parser->FTextBytes.append(text, std::min<qsizetype>(length, MaxTextBytes));
}

void TXmltvParser::Start(const char* name, const char** attributes) {
    Noted();
    ++FDepth;
    // Rule: the document element of a guide is <tv>; anything else (a web page) is not one.
    if (!FRootSeen) {
        FRootSeen = true;
        if (!Is(name, "tv"))
            Stop(u"这不是节目单（XMLTV）：文件的根元素是 <%1>"_s.arg(QString::fromUtf8(name)));
        return;
    }
    // Rule: <channel id> and <programme channel start stop> are the children of <tv>.
    if (FDepth == 2 && Is(name, "channel")) {
        FInChannel = true;
        FChannel = {QString::fromUtf8(Attribute(attributes, "id")), {}};
    } else if (FDepth == 2 && Is(name, "programme")) {
        FInProgramme = true;
        FProgramme = {};
        FProgramme.channel = Attribute(attributes, "channel").toByteArray();
        FProgramme.begin = XML_GetCurrentByteIndex(FParser);
        FProgramme.wanted = FHandler.WantsProgramme(FProgramme.channel);
        if (FProgramme.wanted) {
            FProgramme.start = Attribute(attributes, "start").toByteArray();
            FProgramme.stop = Attribute(attributes, "stop").toByteArray();
        }
    } else if (FDepth == 3 && FInChannel && Is(name, "display-name") &&
               FChannel.displayNames.size() < MaxDisplayNames) {
        FText = EText::DisplayName;
    } else if (FDepth == 3 && FInProgramme && FProgramme.wanted) {
        // Rule: of several titles or descriptions (one per language) the first counts.
        if (Is(name, "title") && FProgramme.title.isEmpty())
            FText = EText::Title;
        else if (Is(name, "desc") && FProgramme.description.isEmpty())
            FText = EText::Description;
    }
    FTextBytes.clear();
}

void TXmltvParser::End(const char*) {
    Noted();
    if (FDepth == 3 && FText != EText::None) {
        const QByteArray text = FTextBytes.trimmed();
        if (FText == EText::DisplayName)
            FChannel.displayNames << QString::fromUtf8(text);
        else if (FText == EText::Title)
            FProgramme.title = text;
        else
            FProgramme.description = text;
        FText = EText::None;
    } else if (FDepth == 2 && FInChannel) {
        FInChannel = false;
        FHandler.Channel(FChannel);
    } else if (FDepth == 2 && FInProgramme) {
        FInProgramme = false;
        FProgramme.end = XML_GetCurrentByteIndex(FParser) + XML_GetCurrentByteCount(FParser);
        FHandler.Programme(FProgramme);
    }
    --FDepth;
}

void TXmltvParser::Run(QByteArrayView bytes, bool final) {
    FFed += bytes.size();
    const bool parsed = XML_Parse(FParser, bytes.data(), int(bytes.size()), final) == XML_STATUS_OK;
    if (FHandlerError)
        std::rethrow_exception(std::exchange(FHandlerError, {}));
    if (!FStopMessage.isEmpty())
        throw EGuideError(FStopMessage.toStdString());
    if (!parsed) {
        const XML_Error error = XML_GetErrorCode(FParser);
        // Rule: what is not XML before its first element is no guide; what ends early
        // is cut short; anything else is broken at a line.
        if (!FRootSeen)
            throw EGuideError(u"这不是节目单（XMLTV）文件"_s.toStdString());
        if (final || error == XML_ERROR_UNCLOSED_TOKEN || error == XML_ERROR_PARTIAL_CHAR)
            throw EGuideError(u"节目单不完整，可能没有下载完"_s.toStdString());
        throw EGuideError(u"节目单格式有误（第 %1 行：%2）"_s.arg(XML_GetCurrentLineNumber(FParser))
                              .arg(QString::fromUtf8(XML_ErrorString(error)))
                              .toStdString());
    }
    if (FFed - FLastEvent > MaxTokenBytes)
        throw EGuideError(u"节目单里有一项内容过长（超过 4 MiB），不予读取"_s.toStdString());
}

void TXmltvParser::Parse(QByteArrayView bytes) {
    // libexpat takes an int length: pieces of at most 1 GiB.
    while (!bytes.isEmpty()) {
        const qsizetype piece = std::min<qsizetype>(bytes.size(), 1 << 30);
        Run(bytes.first(piece), false);
        bytes = bytes.sliced(piece);
    }
}

void TXmltvParser::Finish() {
    Run({}, true);
    if (!FRootSeen)
        throw EGuideError(u"这不是节目单（XMLTV）文件"_s.toStdString());
}
