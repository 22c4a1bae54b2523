// The data check: loads the game's data folder the way the game does (the
// manifest's data files and resource lists) and fails on any name of
// GameDataNames.h that is missing or malformed, on any resource that does not
// load, on any reference of a description that does not resolve, and on a
// text that its font or its dialog cannot show, a button whose label runs
// past its face, or a column of the high-score table without a heading.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "aulos/ausnd.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8Iterator.h"
#include "engine/core/UTF8String.h"
#include "engine/graphics/FontBitmap.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/DataManager.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/io/ResourceSection.h"
#include "engine/io/StandInObject.h"
#include "engine/resource/ResourceFont.h"
#include "engine/resource/ResourceImage.h"
#include "engine/resource/ResourceManager.h"
#include "engine/resource/ResourceSound.h"
#include "engine/resource/ResourceStream.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneTransition.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundStream.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/Slider.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/Switch.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/DelvorUpgrade.h"
#include "tests/source/main/GameDataNames.h"

using namespace ZQ2;

namespace {

using NodeVisitor = std::function<void(PropertyNode*, const std::string& where)>;

SmartPtr<PropertyStore> LoadStore(const std::string& file) {
    SmartPtr<PropertyStore> store(new PropertyStore(file));
    store->SetArchiveType(ARCHIVE_FILE);
    return store->Load() ? store : SmartPtr<PropertyStore>();
}

// Every node of the tree, with a path for messages.
void VisitNodes(AbstractProperty* property, const std::string& where, const NodeVisitor& visit) {
    if (!property)
        return;
    if (property->GetType() == PROPERTY_VECTOR) {
        int index = 0;
        for (const SmartPtr<AbstractProperty>& child : *property->ToVector())
            VisitNodes(child.Get(), where + "[" + std::to_string(index++) + "]", visit);
        return;
    }
    if (property->GetType() != PROPERTY_NODE)
        return;
    PropertyNode* node = property->ToNode();
    const std::string here = where + "/" + node->GetTypeName() + "(" +
                             (node->HasProperty("name") ? node->GetPropString("name") : node->GetName()) + ")";
    visit(node, here);
    for (const SmartPtr<AbstractProperty>& child : *node)
        VisitNodes(child.Get(), here, visit);
}

// The node of a description's component vector that has the name.
// The level scenes of the game's scene descriptions.
std::vector<PropertyNode*> LevelScenes() {
    std::vector<PropertyNode*> levels;
    PropertyNode* scenes = DataManager::g_Instance->GetScenes();
    if (!scenes)
        return levels;
    for (const auto& child : *scenes) {
        PropertyNode* level = child->ToNode();
        if (level && level->GetTypeName() == "SceneGame")
            levels.push_back(level);
    }
    return levels;
}

PropertyNode* FindComponent(PropertyNode* description, const std::string& name) {
    for (const char* key : {"components", "scenecomponents"}) {
        if (!description->HasProperty(key))
            continue;
        for (const SmartPtr<AbstractProperty>& child : *description->GetVector(key)) {
            if (child && child->GetType() == PROPERTY_NODE && child->ToNode()->GetPropString("name") == name)
                return child->ToNode();
        }
    }
    return nullptr;
}

const RTTI* ComponentClass(const std::string& tag) {
    if (tag == "Label")
        return &Label::rtti;
    if (tag == "Slider")
        return &Slider::rtti;
    if (tag == "Switch")
        return &Switch::rtti;
    if (tag == "Button")
        return &Button::rtti;
    return &Sprite::rtti;
}

bool IsStandIn(const BaseObject* object) { return dynamic_cast<const StandInObject*>(object) != nullptr; }

bool HasType(const std::string& text, gamedata::Type type) {
    char* end = nullptr;
    switch (type) {
    case gamedata::Type::Integer:
        std::strtol(text.c_str(), &end, 0);
        return !text.empty() && *end == '\0';
    case gamedata::Type::Float:
        std::strtod(text.c_str(), &end);
        return !text.empty() && *end == '\0';
    case gamedata::Type::Boolean:
        return text == "true" || text == "false";
    case gamedata::Type::String:
        return !text.empty();
    }
    return false;
}

const char* TypeName(gamedata::Type type) {
    switch (type) {
    case gamedata::Type::Integer:
        return "Integer";
    case gamedata::Type::Float:
        return "Float";
    case gamedata::Type::Boolean:
        return "Boolean";
    case gamedata::Type::String:
        return "String";
    }
    return "";
}

class GameData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char folder[4096] = {};
        s_strPreviousFolder = getcwd(folder, sizeof folder) ? folder : "";
        ASSERT_EQ(chdir(DELVOR_GAME_DATA_DIR), 0) << DELVOR_GAME_DATA_DIR;
        FileArchive::CreateInstance("", ARCHIVE_FILE);
        BasicProperties::CreateInstance();
        DataManager::CreateInstance();
        SoundManager::CreateInstance(0, 44100, 32);
        ResourceManager::CreateInstance();
        s_spManifest = LoadStore(gamedata::kManifest);
        ASSERT_TRUE(s_spManifest) << gamedata::kManifest;
        for (const SmartPtr<AbstractProperty>& command : *s_spManifest->GetVector("commands"))
            ReadCommand(command->ToNode());
        DataManager::g_Instance->Reload();
        ResourceManager::g_Instance->ParseResourceFiles();
    }

    static void TearDownTestSuite() {
        s_spManifest = nullptr;
        ResourceManager::RemoveInstance();
        SoundManager::ReleaseInstance();
        DataManager::ReleaseInstance();
        BasicProperties::ReleaseInstance();
        FileArchive::ReleaseInstance();
        if (!s_strPreviousFolder.empty()) {
            EXPECT_EQ(chdir(s_strPreviousFolder.c_str()), 0);
        }
    }

    static void ReadCommand(PropertyNode* command) {
        const std::string name = command->GetPropString("name");
        const bool data = name == "datamanager";
        if (!data && name != "resourcemanager")
            return;
        for (const SmartPtr<AbstractProperty>& file : *command->GetVector("files")) {
            const std::string path = file->ToNode()->GetPropString("file");
            if (data) {
                DataManager::g_Instance->AddFile(path);
                s_DataFiles.push_back(path);
            } else {
                ResourceManager::g_Instance->AddFile(path);
            }
        }
    }

    static PropertyNode* Command(const std::string& name) {
        for (const SmartPtr<AbstractProperty>& command : *s_spManifest->GetVector("commands")) {
            if (command->ToNode()->GetPropString("name") == name)
                return command->ToNode();
        }
        return nullptr;
    }

    static std::vector<std::string> SectionsOf(PropertyNode* command, const char* key) {
        std::vector<std::string> sections;
        if (command && command->HasProperty(key)) {
            for (const SmartPtr<AbstractProperty>& entry : *command->GetVector(key))
                sections.push_back(entry->ToNode()->GetPropString("section"));
        }
        return sections;
    }

    // The loaded resource, or null with a failure that says why.
    static BaseObject* Loaded(const std::string& name, const std::string& section, const std::string& where) {
        ResourceSection* owner = ResourceManager::g_Instance->GetSection(section);
        ResourceObject* resource = owner ? owner->GetResource(name) : nullptr;
        if (!resource) {
            ADD_FAILURE() << where << ": no resource \"" << name << "\" in section \"" << section << "\"";
            return nullptr;
        }
        if (!resource->EnsureLoaded() || resource->HasError()) {
            ADD_FAILURE() << where << ": \"" << name << "\" (" << resource->GetFile()
                          << ") does not load: " << resource->GetErrorMessage();
            return nullptr;
        }
        return resource;
    }

    template <class T>
    static T* LoadedAs(const std::string& name, const std::string& section, const std::string& where) {
        BaseObject* resource = Loaded(name, section, where);
        T* typed = DynamicCast<T>(resource);
        if (resource && !typed)
            ADD_FAILURE() << where << ": \"" << name << "\" is a " << resource->GetRTTI().GetName() << ", not a "
                          << T::rtti.GetName();
        return typed;
    }

    // The descriptions the game builds: scenes, transitions, dialogs and the
    // partners' components.
    static void VisitDescriptions(const NodeVisitor& visit) {
        VisitNodes(DataManager::g_Instance->GetScenes(), "scenes", visit);
        VisitNodes(DataManager::g_Instance->GetDialogs(), "dialogs", visit);
        SmartPtr<PropertyStore> partners = LoadStore("properties/partners.xml");
        if (partners)
            VisitNodes(partners->GetVector("partners"), "partners", visit);
    }

    static std::vector<std::string> AllTexts() {
        std::vector<std::string> texts;
        for (const std::string& file : s_DataFiles) {
            SmartPtr<PropertyStore> store = LoadStore(file);
            for (const auto& entry : store->GetIndex()) {
                if (entry.first.rfind("CTEXT_", 0) == 0 || entry.first.rfind("TEXT_", 0) == 0)
                    texts.push_back(BasicProperties::GetString(entry.first));
            }
        }
        for (const gamedata::TextVector& v : gamedata::kTextVectors) {
            if (PropertyVector* vector = BasicProperties::GetVector(v.name)) {
                for (const SmartPtr<AbstractProperty>& text : *vector)
                    texts.push_back(text->ToValue()->ToString());
            }
        }
        return texts;
    }

    static inline std::string s_strPreviousFolder;
    static inline SmartPtr<PropertyStore> s_spManifest;
    static inline std::vector<std::string> s_DataFiles;
};

}  // namespace

TEST_F(GameData, TheManifestStartsTheGameInOrderOnReadableFiles) {
    std::vector<std::string> names;
    for (const SmartPtr<AbstractProperty>& command : *s_spManifest->GetVector("commands"))
        names.push_back(command->ToNode()->GetPropString("name"));
    size_t at = 0;
    for (const char* wanted : gamedata::kCommandOrder) {
        while (at < names.size() && names[at] != wanted)
            ++at;
        ASSERT_LT(at, names.size()) << "\"" << wanted << "\" is missing or out of order";
    }
    EXPECT_EQ(Command("activatescene")->GetPropString("scene"), gamedata::kFirstScene);

    SmartPtr<PropertyStore> probe(new PropertyStore());
    for (const std::string& file : s_DataFiles)
        EXPECT_TRUE(probe->IsValidXMLFile(file)) << file;
    for (const SmartPtr<AbstractProperty>& entry : *Command("resourcemanager")->GetVector("files")) {
        const std::string file = entry->ToNode()->GetPropString("file");
        EXPECT_TRUE(probe->IsValidXMLFile(file)) << file;
    }
    EXPECT_TRUE(probe->IsValidXMLFile(Command("upgrades")->GetPropString("file")));

    // The splash's own section is there before its first frame; every other
    // section is asked for at start, so that the loading scene waits for it.
    const std::vector<std::string> preloaded = SectionsOf(Command("resourcemanager"), "preloadsections");
    const std::vector<std::string> loaded = SectionsOf(Command("resourcemanager"), "loadsections");
    EXPECT_EQ(preloaded, std::vector<std::string>{"splash"});
    for (const char* section : gamedata::kSections) {
        if (std::string(section) != "splash") {
            EXPECT_EQ(std::count(loaded.begin(), loaded.end(), section), 1) << section;
        }
    }
}

TEST_F(GameData, EveryResourceOfEverySectionLoads) {
    for (const char* section : gamedata::kSections)
        EXPECT_NE(ResourceManager::g_Instance->GetSection(section), nullptr) << section;
    for (const gamedata::Resource& r : gamedata::kResources) {
        const std::string where = std::string("named resource ") + r.name;
        switch (r.kind) {
        case gamedata::Kind::Image:
            LoadedAs<ResourceImage>(r.name, r.section, where);
            break;
        case gamedata::Kind::Font:
            LoadedAs<ResourceFont>(r.name, r.section, where);
            break;
        case gamedata::Kind::Sound:
            LoadedAs<ResourceSound>(r.name, r.section, where);
            break;
        case gamedata::Kind::Stream:
            LoadedAs<ResourceStream>(r.name, r.section, where);
            break;
        }
    }
    // Whatever else the lists hold must load too.
    SmartPtr<PropertyStore> lists = LoadStore("properties/resources.xml");
    for (const SmartPtr<AbstractProperty>& section : *lists->GetVector("Sections")) {
        const std::string name = section->ToNode()->GetPropString("name");
        ResourceSection* loaded = ResourceManager::g_Instance->GetSection(name);
        ASSERT_NE(loaded, nullptr) << name;
        EXPECT_FALSE(loaded->GetResources().empty()) << name;
        for (const auto& entry : loaded->GetResources())
            Loaded(entry.first, name, "section " + name);
    }
}

TEST_F(GameData, TextsAndConstantsAreThereWithTheirTypes) {
    for (const gamedata::Question& q : gamedata::kQuestions) {
        for (const char* key : {q.message, q.header}) {
            EXPECT_TRUE(BasicProperties::HasString(key)) << key;
            EXPECT_FALSE(BasicProperties::GetString(key).empty()) << key;
        }
    }
    for (const gamedata::Constant& c : gamedata::kConstants) {
        // The last data file that holds it decides, as in the game.
        SmartPtr<AbstractProperty> found;
        for (const std::string& file : s_DataFiles) {
            SmartPtr<PropertyStore> store = LoadStore(file);
            if (AbstractProperty* value = store->GetProperty(c.name))
                found = value;
        }
        ASSERT_TRUE(found) << c.name;
        EXPECT_EQ(found->GetTypeName(), TypeName(c.type)) << c.name;
        EXPECT_TRUE(HasType(found->ToValue()->ToString(), c.type)) << c.name << " = " << found->ToValue()->ToString();
    }
    for (const gamedata::TextVector& v : gamedata::kTextVectors) {
        PropertyVector* vector = BasicProperties::GetVector(v.name);
        ASSERT_NE(vector, nullptr) << v.name;
        ASSERT_GE(vector->GetCount(), v.count) << v.name;
        for (int i = 0; i < vector->GetCount(); ++i) {
            ASSERT_NE(vector->GetValue(i), nullptr) << v.name << "[" << i << "]";
            EXPECT_FALSE(vector->GetValue(i)->GetValue().empty()) << v.name << "[" << i << "]";
        }
    }
}

TEST_F(GameData, ScenesTransitionsAndDialogsAreCataloguedAndBuild) {
    auto check = [](PropertyNode* catalogue, const gamedata::Described& d, const RTTI& base) {
        PropertyNode* description = catalogue->HasProperty(d.name) ? catalogue->GetNode(d.name) : nullptr;
        ASSERT_NE(description, nullptr) << d.name;
        EXPECT_EQ(description->GetTypeName(), d.tag) << d.name;
        for (const gamedata::Component& c : d.components) {
            PropertyNode* component = FindComponent(description, c.name);
            ASSERT_NE(component, nullptr) << d.name << " has no component " << c.name;
            EXPECT_EQ(component->GetTypeName(), c.tag) << d.name << "/" << c.name;
        }
        SmartPtr<BaseObject> built(ObjectFactory::Instance()->CreateObject(description));
        ASSERT_NE(built.Get(), nullptr) << d.name;
        // A class not built yet stands in; a built one must be what the code takes it as.
        if (IsStandIn(built.Get()))
            return;
        EXPECT_TRUE(built->GetRTTI().DerivesFrom(base)) << d.name << " is a " << built->GetRTTI().GetName();
        // A dialog has its components from construction on (a scene only once set up).
        auto* dialog = DynamicCast<Dialog>(built.Get());
        if (!dialog || DynamicCast<Scene>(built.Get()))
            return;
        for (const gamedata::Component& c : d.components) {
            const GameNode* component = dialog->GetComponent(c.name);
            ASSERT_NE(component, nullptr) << d.name << "/" << c.name;
            EXPECT_TRUE(component->GetRTTI().DerivesFrom(*ComponentClass(c.tag))) << d.name << "/" << c.name;
        }
    };
    for (const gamedata::Described& scene : gamedata::kScenes)
        check(DataManager::g_Instance->GetScenes(), scene, Scene::rtti);
    for (const gamedata::Described& dialog : gamedata::kDialogs)
        check(DataManager::g_Instance->GetDialogs(), dialog, Dialog::rtti);
    for (const char* name : gamedata::kTransitions) {
        SmartPtr<BaseObject> transition(DataManager::g_Instance->ConstructScene(name));
        ASSERT_NE(transition.Get(), nullptr) << name;
        EXPECT_NE(DynamicCast<SceneTransition>(transition.Get()), nullptr) << name;
    }
}

TEST_F(GameData, EveryReferenceOfTheDescriptionsResolves) {
    const ZQVector<std::string> known = ObjectFactory::Instance()->GetListOfObjectTypes();
    const std::set<std::string> classes(known.begin(), known.end());
    int references = 0;
    VisitDescriptions([&](PropertyNode* node, const std::string& where) {
        const std::string tag = node->GetTypeName();
        if (tag != "Node" && !tag.empty()) {
            EXPECT_TRUE(classes.count(tag)) << where << ": no class " << tag;
        }
        const std::string section = node->GetPropString("section");
        for (const char* key : {"image", "scenebackground"}) {
            if (node->HasProperty(key) && ++references)
                LoadedAs<ResourceImage>(node->GetPropString(key), section, where);
        }
        if (node->HasProperty("font") && ++references)
            LoadedAs<ResourceFont>(node->GetPropString("font"), section, where);
        if (node->HasProperty("textid") && ++references) {
            EXPECT_TRUE(BasicProperties::HasString(node->GetPropString("textid"))) << where;
        }
        for (const char* key : {"clicksound", "oversound", "disabledsound"}) {
            if (node->HasProperty(key) && ++references)
                LoadedAs<ResourceSound>(node->GetPropString(key), node->GetPropString("soundsection"), where);
        }
        if (node->HasProperty("images")) {
            for (const SmartPtr<AbstractProperty>& image : *node->GetVector("images")) {
                const std::string name = image->ToValue()->ToString();
                if (!name.empty() && ++references)
                    LoadedAs<ResourceImage>(name, section, where);
            }
        }
    });
    // The walk reached into the descriptions' components and templates.
    EXPECT_GT(references, 15);
}

TEST_F(GameData, FontsShowEveryCharacterOfTheTexts) {
    const std::vector<std::string> texts = AllTexts();
    ASSERT_FALSE(texts.empty());
    for (const char* section : gamedata::kSections) {
        for (const auto& entry : ResourceManager::g_Instance->GetSection(section)->GetResources()) {
            if (!DynamicCast<ResourceFont>(entry.second.Get()))
                continue;
            auto* resource = LoadedAs<ResourceFont>(entry.first, section, section);
            if (!resource)
                continue;
            FontBitmap* font = resource->GetFont();
            ASSERT_NE(font, nullptr) << entry.first;
            EXPECT_TRUE(font->IsValid()) << entry.first << ": " << font->GetDescriptionError();
            EXPECT_GE(font->GetLayerCount(), 1) << entry.first;
            for (const std::string& text : texts) {
                const UTF8String utf8(text);
                for (UTF8Iterator it(utf8); it.IsInside(); it.Next())
                    EXPECT_TRUE(font->HasCharacter(it.GetCurrent())) << entry.first << " lacks U+" << std::hex
                                                                     << it.GetCurrent() << " of \"" << text << "\"";
            }
        }
    }
}

// The labelled buttons differ only in their label: wherever a label stays
// inside the face, the button's sides are those of the plain one (OK).
TEST_F(GameData, EveryButtonLabelKeepsClearOfTheButtonsSides) {
    constexpr int kSide = 8;
    const char* const plainName = "BUTTON_OK";
    auto* plain = LoadedAs<ResourceImage>(plainName, "default", "the plain button");
    ASSERT_NE(plain, nullptr);
    const Image* face = plain->GetImage();
    ASSERT_NE(face, nullptr);
    int checked = 0;
    for (const auto& entry : ResourceManager::g_Instance->GetSection("default")->GetResources()) {
        if (entry.second->GetFile().rfind("images/ui/button_", 0) != 0 || entry.first == plainName)
            continue;
        auto* resource = LoadedAs<ResourceImage>(entry.first, "default", "button");
        const Image* button = resource ? resource->GetImage() : nullptr;
        ASSERT_NE(button, nullptr) << entry.first;
        ASSERT_EQ(button->GetFrameCount(), face->GetFrameCount()) << entry.first;
        ++checked;
        for (int f = 0; f < face->GetFrameCount(); ++f) {
            const ImageFrame* want = face->GetFrame(f);
            const ImageFrame* got = button->GetFrame(f);
            ASSERT_EQ(got->GetWidth(), want->GetWidth()) << entry.first;
            ASSERT_EQ(got->GetHeight(), want->GetHeight()) << entry.first;
            ASSERT_NE(got->GetPixelData<uint32_t>(0, 0), nullptr) << entry.first;
            ASSERT_NE(want->GetPixelData<uint32_t>(0, 0), nullptr);
            int reaching = 0;
            for (int y = 0; y < want->GetHeight(); ++y) {
                for (int x = 0; x < want->GetWidth(); ++x) {
                    const bool side = x < kSide || x >= want->GetWidth() - kSide;
                    if (side && *got->GetPixelData<uint32_t>(x, y) != *want->GetPixelData<uint32_t>(x, y))
                        ++reaching;
                }
            }
            EXPECT_EQ(reaching, 0) << entry.first << " (" << entry.second->GetFile() << "), frame " << f
                                   << ": its label reaches the sides";
        }
    }
    EXPECT_GT(checked, 10);
}

// The best-digs table names its columns: over each column of the rows, a
// heading between the title and the first row, lined up and aligned with
// the column, whose text fits it.
TEST_F(GameData, EveryHighScoreColumnHasAHeadingThatFits) {
    PropertyNode* dialog = DataManager::g_Instance->GetDialogs()->GetNode("DIALOG_HIGHSCORES");
    ASSERT_NE(dialog, nullptr);
    PropertyNode* panel = dialog->GetNode("panel");
    ASSERT_NE(panel, nullptr);
    PropertyNode* title = FindComponent(dialog, "HEADER");
    ASSERT_NE(title, nullptr);
    const float titleBottom = title->GetValue("y")->ToFloat() + title->GetValue("height")->ToFloat();
    const float firstRow = panel->GetValue("y")->ToFloat();
    auto column = [panel](const std::string& name) -> PropertyNode* {
        for (const SmartPtr<AbstractProperty>& child : *panel->GetVector("panelcomponents")) {
            if (child && child->GetType() == PROPERTY_NODE && child->ToNode()->GetPropString("name") == name)
                return child->ToNode();
        }
        return nullptr;
    };
    const std::pair<const char*, const char*> headings[] = {
        {"LABEL_NAME", "HEADING_NAME"}, {"LABEL_SCORE", "HEADING_REACHED"}, {"LABEL_EXTRA", "HEADING_SCORE"}};
    for (const auto& [columnName, headingName] : headings) {
        SCOPED_TRACE(headingName);
        PropertyNode* cells = column(columnName);
        ASSERT_NE(cells, nullptr) << columnName;
        PropertyNode* heading = FindComponent(dialog, headingName);
        ASSERT_NE(heading, nullptr);
        const float x = heading->GetValue("x")->ToFloat();
        const float y = heading->GetValue("y")->ToFloat();
        const float width = heading->GetValue("width")->ToFloat();
        const float height = heading->GetValue("height")->ToFloat();
        EXPECT_FLOAT_EQ(x, panel->GetValue("x")->ToFloat() + cells->GetValue("x")->ToFloat());
        EXPECT_FLOAT_EQ(width, cells->GetValue("width")->ToFloat());
        EXPECT_EQ(heading->GetPropString("alignh"), cells->GetPropString("alignh"));
        EXPECT_GE(y, titleBottom);
        EXPECT_LE(y + height, firstRow);

        const std::string key = heading->GetPropString("textid");
        ASSERT_TRUE(BasicProperties::HasString(key)) << key;
        const std::string text = BasicProperties::GetString(key);
        EXPECT_FALSE(text.empty()) << key;
        SmartPtr<Label> label(new Label(heading));
        ASSERT_NE(label->GetFont(), nullptr);
        label->SetText(text);
        label->Update();
        EXPECT_GT(label->GetMaxStringWidth(), 0.0f) << key;
        EXPECT_LE(label->GetMaxStringWidth(), width) << key << " \"" << text << "\"";
        EXPECT_LE(label->GetTextBounds().height, height) << key;
    }
}

// A hole draws its find's number from 1 to the country's count of pictures
// (3 at least); Vuru names each in one line of her label.
TEST_F(GameData, EveryFindHasANameThatFitsVurusLabel) {
    auto* resource = LoadedAs<ResourceFont>(gamedata::kArtifactFont, gamedata::kArtifactFontSection, "artifact label");
    ASSERT_NE(resource, nullptr);
    for (const char* country : gamedata::kArtifactCountries) {
        const std::string count = std::string("NUM_ARTIFACTS_") + country;
        EXPECT_GT(BasicProperties::GetInteger(count), 0) << count;
        const int last = std::max(BasicProperties::GetInteger(count), 3);
        for (int number = 1; number <= last; ++number) {
            char key[64];
            std::snprintf(key, sizeof key, "TEXT_ARTIFACT_%s_%02d", country, number);
            ASSERT_TRUE(BasicProperties::HasString(key)) << key;
            const std::string text = BasicProperties::GetString(key);
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_EQ(text.find('\n'), std::string::npos) << key;
            SmartPtr<Label> label(new Label(resource->GetFont(), 0.0f, 0.0f, gamedata::kArtifactLabelWidth,
                                            gamedata::kArtifactLabelHeight, TEXTWRAP_AUTOWIDTH));
            label->SetText(text);
            label->Update();
            EXPECT_LE(label->GetMaxStringWidth(), gamedata::kArtifactLabelWidth) << key << " \"" << text << "\"";
            EXPECT_LE(label->GetTextBounds().height, gamedata::kArtifactLabelHeight) << key;
        }
    }
}

// The dialog does not grow to a question's message: each must fit the
// label the data gives it.
TEST_F(GameData, EveryQuestionFitsItsDialog) {
    for (const gamedata::Question& q : gamedata::kQuestions) {
        PropertyNode* dialog = DataManager::g_Instance->GetDialogs()->GetNode(q.dialog);
        for (const auto& [key, part] : {std::pair{q.message, "MESSAGE"}, std::pair{q.header, "HEADER"}}) {
            PropertyNode* description = FindComponent(dialog, part);
            ASSERT_NE(description, nullptr) << q.dialog << "/" << part;
            SmartPtr<Label> label(new Label(description));
            ASSERT_NE(label->GetFont(), nullptr) << q.dialog << "/" << part;
            label->SetText(BasicProperties::GetString(key));
            label->Update();
            const float width = description->GetValue("width")->ToFloat();
            const float height = description->GetValue("height")->ToFloat();
            EXPECT_LE(label->GetMaxStringWidth(), width) << key;
            EXPECT_LE(label->GetTextBounds().height, height) << key;
            EXPECT_GT(label->GetTextBounds().height, 0.0f) << key;
        }
    }
}

TEST_F(GameData, PropertyFilesHoldTheirValuesAndComponents) {
    for (const gamedata::PropertyFile& f : gamedata::kPropertyFiles) {
        SmartPtr<PropertyStore> store = LoadStore(f.file);
        ASSERT_TRUE(store) << f.file;
        for (const gamedata::Constant& c : f.values) {
            AbstractProperty* value = store->GetProperty(c.name);
            ASSERT_NE(value, nullptr) << f.file << ": " << c.name;
            EXPECT_EQ(value->GetTypeName(), TypeName(c.type)) << f.file << ": " << c.name;
            EXPECT_TRUE(HasType(value->ToValue()->ToString(), c.type)) << f.file << ": " << c.name;
        }
        for (const char* key : f.vectors) {
            ASSERT_TRUE(store->HasProperty(key)) << f.file << ": " << key;
            EXPECT_GT(store->GetVector(key)->GetCount(), 0) << f.file << ": " << key;
            for (const SmartPtr<AbstractProperty>& component : *store->GetVector(key)) {
                SmartPtr<BaseObject> built(ObjectFactory::Instance()->CreateObject(component.Get()));
                EXPECT_NE(DynamicCast<GameNode>(built.Get()), nullptr) << f.file << ": " << component->GetTypeName();
            }
        }
    }
}

TEST_F(GameData, SplashCardsFitTheScreen) {
    for (int n = 1; n <= gamedata::kSplashCount; ++n) {
        const std::string stem = gamedata::kSplashStem + std::to_string(n);
        const std::string file = FileExists(stem + ".jpg") ? stem + ".jpg" : stem + ".png";
        SmartPtr<ResourceImage> card(new ResourceImage(file, "", 1, 1, false));
        card->Load();
        ASSERT_FALSE(card->HasError()) << file << ": " << card->GetErrorMessage();
        const ImageFrame* frame = card->GetImage() ? card->GetImage()->GetFrame() : nullptr;
        ASSERT_NE(frame, nullptr) << file;
        EXPECT_LE(frame->GetWidth(), 800) << file;
        EXPECT_LE(frame->GetHeight(), 600) << file;
    }
}

TEST_F(GameData, TheMenuMusicPlaysAndItsSyncPointsLieInside) {
    auto* resource = LoadedAs<ResourceStream>("MUSIC_MAP_SELECTION", "music", "music");
    ASSERT_NE(resource, nullptr);
    SoundStream* stream = resource->GetStream();
    ASSERT_NE(stream, nullptr);
    const ZQVector<unsigned int>& syncPoints = stream->GetSyncPoints();
    const std::vector<unsigned int> points(syncPoints.begin(), syncPoints.end());
    ASSERT_FALSE(points.empty());
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end()));

    AUSND_STREAM* opened = AUSND_Stream_Open(resource->GetFile().c_str(), 0, 0, 0);
    ASSERT_NE(opened, nullptr) << resource->GetFile();
    const int lengthMs = AUSND_Stream_GetLengthMs(opened);
    AUSND_Stream_Close(opened);
    EXPECT_GE(lengthMs, 10000);  // a loop worth hearing through the loading scene
    EXPECT_LT(points.back() / 44.1, lengthMs);
}

// The clock is a face of its own that its hand turns over; beside the hand
// it holds the rim the hourglass sand goes beneath and, last, the flash
// overlay "CLOCK_FRAME" that it hides until a flash.
TEST_F(GameData, EveryLevelsClockHasItsFaceHandRimAndOverlay) {
    const std::vector<PropertyNode*> levels = LevelScenes();
    for (PropertyNode* level : levels) {
        const std::string name = level->GetName();
        PropertyNode* clock = FindComponent(level, "CLOCK");
        ASSERT_NE(clock, nullptr) << name;
        ASSERT_TRUE(clock->HasProperty("image")) << name << ": the clock has no face of its own";
        LoadedAs<ResourceImage>(clock->GetPropString("image"), clock->GetPropString("section"), name + "/CLOCK");
        ASSERT_TRUE(clock->HasProperty("children")) << name;
        std::vector<std::string> pieces;
        for (const SmartPtr<AbstractProperty>& piece : *clock->GetVector("children"))
            pieces.push_back(piece->ToNode()->GetPropString("name"));
        EXPECT_EQ(pieces, (std::vector<std::string>{"CLOCK_HAND", "CLOCK_FRAME_BACK", "CLOCK_FRAME"})) << name;
    }
    EXPECT_FALSE(levels.empty());
}

// The tuning rules the level scene leaves to its data: every random range
// holds a value, every divisor is non-zero, and the artifacts add up.
TEST_F(GameData, EveryLevelsTuningKeepsItsRules) {
    const std::vector<PropertyNode*> levels = LevelScenes();
    for (PropertyNode* level : levels) {
        const std::string name = level->GetName();
        ASSERT_TRUE(level->HasProperty("variables")) << name;
        PropertyVector* vars = level->GetVector("variables");
        auto get = [&](const std::string& key, int fallback) {
            AbstractProperty* value = vars->GetProperty(key);
            return value && value->ToValue() ? value->ToValue()->ToInt() : fallback;
        };
        EXPECT_GT(get("total_seconds", 0), 0) << name;
        EXPECT_GE(get("points_expert", 0), get("points_win", 0)) << name;
        EXPECT_LE(get("min_rocks_per_hole", 0), get("max_rocks_per_hole", 0)) << name;
        EXPECT_LE(get("min_picks_per_rock", 1), get("max_picks_per_rock", 1)) << name;
        EXPECT_GE(get("min_picks_per_rock", 1), 1) << name;
        EXPECT_LE(get("min_excavation_depth", 12), get("max_excavation_depth", 12)) << name;
        EXPECT_GT(get("min_excavation_depth", 12), 0) << name;
        int artifacts = 0;
        int holes = 0;
        for (int k = 1; k <= 8; ++k) {
            const int count = get("num_holes_with_" + std::to_string(k) + "_artifacts", 0);
            artifacts += k * count;
            holes += count;
        }
        EXPECT_LE(holes, 8) << name;
        EXPECT_LE(get("num_artifacts_gold", 0) + get("num_artifacts_silver", 0), artifacts) << name;
    }
    EXPECT_GE(levels.size(), 4u);
    for (const char* key : {"SCORE_ARTIFACT_IN_CRATE_BRONZE", "SCORE_ARTIFACT_IN_CRATE_SILVER", "SCORE_ARTIFACT_IN_CRATE_GOLD"})
        EXPECT_LE(BasicProperties::GetInteger(std::string(key) + "_MIN"), BasicProperties::GetInteger(std::string(key) + "_MAX"))
            << key;
}

// The workers' tuning: at least one picker type, and a picture for every
// picker type and every digger of every colour the days can hire.
TEST_F(GameData, TheWorkersTuningKeepsItsRules) {
    const int types = BasicProperties::GetInteger("NUM_PICKER_TYPES");
    EXPECT_GE(types, 1);
    for (int type = 1; type <= types; ++type)
        LoadedAs<ResourceImage>("PICKER" + std::to_string(type) + "_ASK", "delvor", "picker type");
    const int colours = BasicProperties::GetInteger("NUM_DIGGER_COLORS");
    for (int colour = 1; colour <= colours; ++colour)
        for (const char* gender : {"MALE", "FEMALE"})
            LoadedAs<ResourceImage>("DIGGER_" + std::string(gender) + std::to_string(colour) + "_ASK", "delvor",
                                    "digger colour");
    // A worker in the waiting area is told by its height above this line.
    EXPECT_EQ(BasicProperties::GetInteger("DIGGER_WAITAREA_Y"), BasicProperties::GetInteger("PICKER_WAITAREA_Y"));
    for (const char* key : {"TIME_IDLE_ANIMATION_MAX", "TIME_BLINK_ANIMATION_MAX", "IDLE_FRAMESPEED"})
        EXPECT_GT(BasicProperties::GetInteger(key), 0) << key;
}

// The upgrade shop's master list: known type and country names, texts and
// icons there, every type sold somewhere, hourglasses of one size, and on
// every shop day of every country three upgrades the player cannot own yet.
TEST_F(GameData, TheUpgradeListOffersThreeUpgradesOnEveryShopDay) {
    SmartPtr<PropertyStore> store = LoadStore(Command("upgrades")->GetPropString("file"));
    ASSERT_TRUE(store);
    PropertyNode* list = store->GetNode("upgrades");
    ASSERT_NE(list, nullptr);
    std::set<std::string> ids;
    std::set<int> types;
    int perCountry[DelvorUpgrade::COUNTRY_COUNT + 1] = {};
    for (const SmartPtr<AbstractProperty>& child : *list) {
        ASSERT_EQ(child->GetType(), PROPERTY_NODE);
        PropertyNode* node = child->ToNode();
        const std::string where = "upgrade " + node->GetName();
        EXPECT_EQ(node->GetTypeName(), "DelvorUpgrade") << where;
        EXPECT_TRUE(ids.insert(node->GetName()).second) << where << " twice";
        EXPECT_FALSE(node->GetName().empty()) << "an upgrade without identifier";
        const int type = DelvorUpgrade::GetTypeFromName(node->GetPropString("type"));
        const int country = DelvorUpgrade::GetCountryFromName(node->GetPropString("country"));
        EXPECT_NE(type, 0) << where << ": type \"" << node->GetPropString("type") << "\"";
        EXPECT_NE(country, 0) << where << ": country \"" << node->GetPropString("country") << "\"";
        EXPECT_TRUE(HasType(node->GetPropString("effect"), gamedata::Type::Integer)) << where;
        for (const char* key : {"label", "desc"}) {
            const std::string text = node->GetPropString(key);
            EXPECT_TRUE(BasicProperties::HasString(text) && !BasicProperties::GetString(text).empty())
                << where << ": no text \"" << text << "\"";
        }
        LoadedAs<ResourceImage>(node->GetPropString("image"), "upgrades", where);
        if (type == DelvorUpgrade::TYPE_HOURGLASS) {
            EXPECT_EQ(node->GetPropString("effect"), "30000") << where;
        }
        types.insert(type);
        ++perCountry[country];
    }
    for (int type = 1; type < DelvorUpgrade::TYPE_COUNT; ++type)
        EXPECT_EQ(types.count(type), 1u) << "no upgrade of type " << type;

    const int savedCountry = DelvorMain::m_nCurCountry;
    const int savedDay = DelvorMain::m_nCurDay;
    int shopDays = 0;
    for (int country = 1; country <= DelvorUpgrade::COUNTRY_COUNT; ++country) {
        int owned = 0;  // one bought on each earlier shop day of the country
        for (int day = 1; day <= DelvorMain::GetMaxDayForCountry(country); ++day) {
            DelvorMain::m_nCurCountry = country;
            DelvorMain::m_nCurDay = day;
            if (!DelvorMain::IsUpgradeShopLevel())
                continue;
            EXPECT_GE(perCountry[country] - owned, 3) << "country " << country << " day " << day;
            ++owned;
            ++shopDays;
        }
    }
    DelvorMain::m_nCurCountry = savedCountry;
    DelvorMain::m_nCurDay = savedDay;
    EXPECT_LE(shopDays, DVUpgradeHandler::MAX_OWNED) << "the profile keeps one record per shop day";

    // The tables' items show the level of the best upgrade of their type.
    for (const char* item : {"OBJ_SIFTER", "OBJ_BRUSH", "OBJ_CANTEEN", "OBJ_SANDWICH", "OBJ_APPLE"})
        for (const char* level : {"_UP1", "_UP2"})
            LoadedAs<ResourceImage>(std::string(item) + level, "delvor", "upgraded item");
}
