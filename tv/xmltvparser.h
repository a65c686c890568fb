#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <exception>

struct XML_ParserStruct;

// The XMLTV elements a guide is read for, from bytes given in pieces, by libexpat.
// Offsets count the bytes given to this parser.

struct TGuideChannelEvent {
    QString id;
    QStringList displayNames;
};

struct TGuideProgrammeEvent {
    QByteArray channel;
    QByteArray start, stop, title, description; // only for a programme that was wanted
    bool wanted = false;
    qint64 begin = 0, end = 0; // the element's bytes
};

class TXmltvHandler {
public:
    virtual ~TXmltvHandler() = default;
    virtual void Channel(const TGuideChannelEvent& channel) = 0;
    // Whether the texts of a programme of this channel are wanted, asked at its start tag.
    virtual bool WantsProgramme(QByteArrayView channel) = 0;
    // Every programme at its end tag, wanted or not.
    virtual void Programme(const TGuideProgrammeEvent& programme) = 0;
};

class TXmltvParser {
public:
    // encoding: the document's, for a fragment cut from a document read before.
    explicit TXmltvParser(TXmltvHandler& handler, const QByteArray& encoding = {});
    ~TXmltvParser();
    TXmltvParser(const TXmltvParser&) = delete;
    TXmltvParser& operator=(const TXmltvParser&) = delete;

    // Both throw EGuideError; Finish also when the document ends before its end.
    void Parse(QByteArrayView bytes);
    void Finish();
    // The encoding the document declared, empty if none.
    const QByteArray& Encoding() const { return FEncoding; }

private:
    static void StartElement(void* self, const char* name, const char** attributes);
    static void EndElement(void* self, const char* name);
    static void Text(void* self, const char* text, int length);
    static void Declaration(void* self, const char* version, const char* encoding, int standalone);
    static void StartDoctype(void* self, const char* name, const char* system, const char* pub,
                             int internalSubset);
    static void Marker(void* self, const char* data);
    void Start(const char* name, const char** attributes);
    void End(const char* name);
    void Stop(const QString& message);
    void Noted();
    void Run(QByteArrayView bytes, bool final);

    enum class EText { None, DisplayName, Title, Description };
    XML_ParserStruct* FParser;
    TXmltvHandler& FHandler;
    QByteArray FEncoding;
    int FDepth = 0;
    bool FRootSeen = false;
    bool FInChannel = false;
    bool FInProgramme = false;
    EText FText = EText::None;
    QByteArray FTextBytes;
    TGuideChannelEvent FChannel;
    TGuideProgrammeEvent FProgramme;
    qint64 FFed = 0;
    qint64 FLastEvent = 0;
    QString FStopMessage;
    std::exception_ptr FHandlerError;
};
