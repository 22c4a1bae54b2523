#pragma once
// The root of a property tree bound to XML files: reads files into its
// children and writes itself back as one file, enciphered when its archive
// type asks for it.
#include <string>

#include "engine/core/ZQVector.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/eArchiveType.h"

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

namespace ZQ2 {

class PropertyStore : public PropertyNode {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit PropertyStore(const std::string& file = std::string());
    const RTTI& GetRTTI() const override { return rtti; }

    AbstractProperty* Clone() const override;
    void CopyFrom(const AbstractProperty* other) override;

    void AddFile(const std::string& file);
    bool Load(const std::string& file);
    // Reads every listed file, even after a failure; true when all loaded.
    bool Load();
    bool LoadStore(const std::string& file);
    bool LoadStore(TiXmlDocument& doc);
    bool ParseFromBuffer(const char* text);

    // Writes the whole tree to the current file; the previous file stays
    // intact unless the new one was written completely.
    bool Save();
    virtual void AddToXML(AbstractProperty* prop, TiXmlNode* parent, bool attributesAllowed);

    bool IsValidXMLFile(const std::string& file);
    static bool IsValidXMLBuffer(const char* text);

    static AbstractProperty* CreateData(const TiXmlNode* node);
    static AbstractProperty* CreateData(const TiXmlElement* element);

    // The index of the key's text among names (exact match), or fallback.
    static int ParameterToInt(const PropertyNode* node, const std::string& key, const std::string* names, int count,
                              int fallback);

    void SetArchiveType(eArchiveType type) { m_eArchiveType = type; }
    eArchiveType GetArchiveType() const { return m_eArchiveType; }
    void SetCondenseWhiteSpace(bool condense) { m_bCondenseWhiteSpace = condense; }
    bool GetCondenseWhiteSpace() const { return m_bCondenseWhiteSpace; }
    const std::string& GetCurrentFile() const { return m_strCurrentFile; }
    const ZQVector<std::string>& GetFiles() const { return m_Files; }

    // Documents nested deeper than this are refused before parsing.
    static constexpr int MAX_XML_DEPTH = 256;

private:
    eArchiveType EffectiveType() const;
    eArchiveType ReadType(const std::string& path) const;
    bool ParseDocument(const char* text, TiXmlDocument& doc) const;
    std::string ToXmlText();

    ZQVector<std::string> m_Files;
    int m_nFileCounter = 0;
    std::string m_strCurrentFile;
    eArchiveType m_eArchiveType = ARCHIVE_DEFAULT;
    bool m_bCondenseWhiteSpace = true;
    bool m_bTextAsValue = true;
    bool m_bSkipComments = true;
};

}  // namespace ZQ2
