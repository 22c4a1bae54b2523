#include "engine/io/PropertyStore.h"

#include <tinyxml.h>

#include <mutex>

#include "engine/core/CipherByteArray.h"
#include "engine/core/MemoryBuffer_t.h"
#include "engine/core/Platform.h"
#include "engine/io/AtomicFile.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/io/XmlDepth.h"

namespace ZQ2 {

const RTTI* const PropertyStore::rttis[] = {&PropertyNode::rtti, nullptr};
const RTTI PropertyStore::rtti("PropertyStore", PropertyStore::rttis);

namespace {

// The XML parser's whitespace setting is one process-wide value; it is held
// from setting it to the end of the parse, since the loader thread parses too.
std::mutex g_ParseMutex;

const char* ArchiveName(eArchiveType type) { return type == ARCHIVE_ENCRYPT_FILE ? "ENCRYPTED" : "ZIP"; }

std::string WithSlashes(std::string path) {
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

bool ReadWhole(const std::string& path, eArchiveType type, MemoryBuffer_t<unsigned char>& buffer) {
    return FileArchive::LoadFile(path, &buffer, type) && buffer.GetData();
}

// XML reads every line end as one line feed: CR-LF and a lone CR included.
std::string WithLineFeeds(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p != '\r') {
            out += *p;
            continue;
        }
        out += '\n';
        if (p[1] == '\n')
            ++p;
    }
    return out;
}

const char* AsText(const MemoryBuffer_t<unsigned char>& buffer) {
    return reinterpret_cast<const char*>(buffer.GetData());
}

}  // namespace

PropertyStore::PropertyStore(const std::string& file) : PropertyNode("", "root") {
    if (!file.empty())
        AddFile(file);
}

AbstractProperty* PropertyStore::Clone() const {
    auto* copy = new PropertyStore();
    copy->m_Files = m_Files;
    copy->m_strCurrentFile = m_strCurrentFile;
    copy->m_eArchiveType = m_eArchiveType;
    copy->m_bCondenseWhiteSpace = m_bCondenseWhiteSpace;
    copy->m_bTextAsValue = m_bTextAsValue;
    copy->m_bSkipComments = m_bSkipComments;
    for (const auto& entry : GetIndex()) {
        if (entry.second)
            copy->InsertProperty(entry.second->Clone());
    }
    return copy;
}

void PropertyStore::CopyFrom(const AbstractProperty* other) {
    PropertyNode::CopyFrom(other);
    if (!other || other == this || !other->GetRTTI().DerivesFrom(PropertyStore::rtti))
        return;
    const auto* store = static_cast<const PropertyStore*>(other);
    m_Files = store->m_Files;
    m_strCurrentFile = store->m_strCurrentFile;
    m_eArchiveType = store->m_eArchiveType;
    m_bCondenseWhiteSpace = store->m_bCondenseWhiteSpace;
    m_bTextAsValue = store->m_bTextAsValue;
    m_bSkipComments = store->m_bSkipComments;
}

void PropertyStore::AddFile(const std::string& file) {
    m_Files.push_back(file);
    m_strCurrentFile = file;
}

bool PropertyStore::Load(const std::string& file) {
    AddFile(file);
    return LoadStore(file);
}

bool PropertyStore::Load() {
    bool ok = true;
    const ZQVector<std::string> files(m_Files);
    for (const std::string& file : files) {
        m_nFileCounter = 0;
        ok = LoadStore(file) && ok;
    }
    return ok;
}

eArchiveType PropertyStore::EffectiveType() const {
    return m_eArchiveType == ARCHIVE_DEFAULT ? FileArchive::GetArchiveType() : m_eArchiveType;
}

namespace {

// The zip archive is never written: its stores are saved beside it as plain
// or enciphered files.
eArchiveType WrittenType(eArchiveType type) {
    if (type == ARCHIVE_ZIP)
        return ARCHIVE_FILE;
    if (type == ARCHIVE_ENCRYPT_ZIP)
        return ARCHIVE_ENCRYPT_FILE;
    return type;
}

}  // namespace

// A store that follows the global zip type reads a file that it saved itself
// (players, scores, settings) from where Save put it, and all others from
// the archive.
eArchiveType PropertyStore::ReadType(const std::string& path) const {
    const eArchiveType type = EffectiveType();
    const eArchiveType written = WrittenType(type);
    if (m_eArchiveType != ARCHIVE_DEFAULT || written == type)
        return type;
    return FileExists(GetEncryptFileName(path, written)) ? written : type;
}

bool PropertyStore::LoadStore(const std::string& file) {
    const std::string path = WithSlashes(file);
    const eArchiveType type = ReadType(path);
    MemoryBuffer_t<unsigned char> buffer;
    if (type != ARCHIVE_FILE) {
        if (!ReadWhole(path, type, buffer)) {
            Platform::OutputDebugStringFormat("The %s file '%s' wasn't found.\n", ArchiveName(type), path.c_str());
            return false;
        }
        return ParseFromBuffer(AsText(buffer));
    }
    if (!FileExists(path)) {
        Platform::OutputDebugString("The file '" + path + "' could not be found.\n");
        return false;
    }
    // Read whole and parsed from memory, so the depth guard sees it first.
    if (!ReadWhole(path, ARCHIVE_FILE, buffer))
        return false;
    return ParseFromBuffer(AsText(buffer));
}

bool PropertyStore::ParseDocument(const char* text, TiXmlDocument& doc) const {
    if (!text || XmlDepth::Measure(text, MAX_XML_DEPTH) > MAX_XML_DEPTH)
        return false;
    // The parser steps over a UTF-8 sequence by its lead byte's length, so a
    // sequence cut off at the end would step past the terminating zero:
    // parse a copy padded with enough zeros to land on.
    std::string padded = WithLineFeeds(text);
    padded.append(4, '\0');
    std::lock_guard<std::mutex> lock(g_ParseMutex);
    TiXmlBase::SetCondenseWhiteSpace(m_bCondenseWhiteSpace);
    doc.Parse(padded.c_str());
    // A declaration alone parses cleanly but holds no data.
    return !doc.Error() && doc.RootElement();
}

bool PropertyStore::ParseFromBuffer(const char* text) {
    TiXmlDocument doc;
    if (!ParseDocument(text, doc))
        return false;
    return LoadStore(doc);
}

bool PropertyStore::LoadStore(TiXmlDocument& doc) {
    if (doc.Error())
        return false;
    for (const TiXmlElement* top = doc.FirstChildElement(); top; top = top->NextSiblingElement()) {
        for (const TiXmlNode* child = top->FirstChild(); child; child = child->NextSibling()) {
            AbstractProperty* prop = CreateData(child);
            if (prop)
                InsertProperty(prop);
        }
    }
    return true;
}

AbstractProperty* PropertyStore::CreateData(const TiXmlNode* node) {
    const TiXmlElement* element = node ? node->ToElement() : nullptr;
    return element ? CreateData(element) : nullptr;
}

namespace {

bool IsValueTag(const std::string& tag) {
    return tag == "Integer" || tag == "Double" || tag == "Float" || tag == "Boolean" || tag == "String";
}

const TiXmlText* FirstText(const TiXmlElement* element) {
    for (const TiXmlNode* child = element->FirstChild(); child; child = child->NextSibling()) {
        if (const TiXmlText* text = child->ToText())
            return text;
    }
    return nullptr;
}

std::string Text(const char* value) { return value ? value : ""; }

}  // namespace

AbstractProperty* PropertyStore::CreateData(const TiXmlElement* element) {
    if (!element)
        return nullptr;
    const std::string tag = element->ValueStr();
    const std::string id = Text(element->Attribute("id"));

    if (tag == "Vector") {
        auto* vector = new PropertyVector(id);
        for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
            vector->InsertProperty(CreateData(child));
        return vector;
    }

    if (IsValueTag(tag)) {
        auto* value = new PropertyValue(id, tag, std::string());
        if (const char* attribute = element->Attribute("value"))
            value->SetValue(std::string(attribute));
        if (const TiXmlText* text = FirstText(element))
            value->SetValue(Text(text->Value()));
        return value;
    }

    auto* node = new PropertyNode(id, tag);
    for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute; attribute = attribute->Next()) {
        const std::string name = Text(attribute->Name());
        if (name != "id")
            node->InsertProperty(new PropertyValue(name, Text(attribute->Value()), true));
    }
    if (const TiXmlText* text = FirstText(element))
        node->InsertProperty(new PropertyValue("value", std::string("String"), Text(text->Value())));
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
        node->InsertProperty(CreateData(child));
    return node;
}

void PropertyStore::AddToXML(AbstractProperty* prop, TiXmlNode* parent, bool attributesAllowed) {
    if (!prop || !parent || prop->GetType() == PROPERTY_COMMENT)
        return;
    const std::string& typeName = prop->GetTypeName();
    if (typeName.empty() && prop->GetType() == PROPERTY_VALUE) {
        TiXmlElement* owner = parent->ToElement();
        if (attributesAllowed && owner) {
            owner->SetAttribute(prop->GetName(), prop->ToValue()->GetValue());
            return;
        }
    }
    // An attribute value with nowhere to go (inside a vector) is written typed.
    auto* element = new TiXmlElement(typeName.empty() ? std::string("String") : typeName);
    parent->LinkEndChild(element);
    if (!prop->GetName().empty())
        element->SetAttribute("id", prop->GetName());

    switch (prop->GetType()) {
    case PROPERTY_VALUE:
        element->SetAttribute("value", prop->ToValue()->GetValue());
        break;
    case PROPERTY_VECTOR:
        for (const auto& child : *prop->ToVector())
            AddToXML(child, element, false);
        break;
    case PROPERTY_NODE:
        for (const auto& child : *prop->ToNode())
            AddToXML(child, element, true);
        break;
    default:
        break;
    }
}

std::string PropertyStore::ToXmlText() {
    TiXmlDocument doc;
    doc.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
    AddToXML(this, &doc, false);
    TiXmlPrinter printer;
    doc.Accept(&printer);
    return printer.Str();
}

bool PropertyStore::Save() {
    if (m_strCurrentFile.empty())
        return false;
    const eArchiveType type = WrittenType(EffectiveType());

    std::string text = ToXmlText();
    if (type == ARCHIVE_ENCRYPT_FILE && !text.empty())
        cipher::CipherByteArray::cipher(&text[0], static_cast<int>(text.size()));
    const std::string file = type == ARCHIVE_ENCRYPT_FILE ? GetEncryptFileName(m_strCurrentFile, type) : m_strCurrentFile;
    return AtomicFile::Write(WithSlashes(file), text.data(), text.size(), 0666);
}

bool PropertyStore::IsValidXMLFile(const std::string& file) {
    const eArchiveType type = ReadType(WithSlashes(file));
    if (type == ARCHIVE_FILE && !FileExists(file))
        return false;
    if (type == ARCHIVE_ENCRYPT_FILE && !FileExists(GetEncryptFileName(file, type)))
        return false;
    MemoryBuffer_t<unsigned char> buffer;
    if (!ReadWhole(WithSlashes(file), type, buffer))
        return false;
    return IsValidXMLBuffer(AsText(buffer));
}

bool PropertyStore::IsValidXMLBuffer(const char* text) {
    TiXmlDocument doc;
    PropertyStore probe;
    return probe.ParseDocument(text, doc);
}

int PropertyStore::ParameterToInt(const PropertyNode* node, const std::string& key, const std::string* names,
                                  int count, int fallback) {
    if (!node || !node->HasProperty(key))
        return fallback;
    const std::string text = node->GetValue(key)->GetValue();
    for (int i = 0; i < count; ++i) {
        if (names[i] == text)
            return i;
    }
    return fallback;
}

}  // namespace ZQ2
