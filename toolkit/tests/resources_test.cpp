// The registry: language sets, the overlay, and the six resource kinds.
#include <gtest/gtest.h>
#include <pango/pango.h>

#include <fstream>

#include "res/resource_manager.h"
#include "test_support.h"

namespace {

using namespace testing_support;

const std::string kWindowXml = "<windows><window id=\"w\"><layer/></window></windows>";

class Registry : public ::testing::Test {
protected:
    RegistryReset reset;
    TempDir dir;

    bool Load(const Entries& entries, const std::string& language = "",
              const Entries* overlay = nullptr) {
        std::string path = dir.file("test.dat");
        EXPECT_TRUE(WritePackage(path, entries));
        if (overlay) {
            EXPECT_TRUE(WritePackage(path + ".cust", *overlay));
        }
        auto& r = Res::xResourceManager::Instance();
        if (!r.loadMain(path, language)) {
            return false;
        }
        r.loadOverlay(path + ".cust", language);
        return true;
    }
    bool LoadSets(const std::string& sets, const std::string& language = "", Entries extra = {}) {
        Entries e = {{"resource.xml", ResourceXml(sets)}, {"window.xml", kWindowXml}};
        e.insert(e.end(), extra.begin(), extra.end());
        return Load(e, language);
    }
    Res::xResourceManager& R() { return Res::xResourceManager::Instance(); }
    std::u16string Text(const std::string& id) {
        auto* t = R().findAs<Res::xText>(id);
        return t ? t->text : u"<undefined>";
    }
};

TEST_F(Registry, LanguageChoosesTheMatchingSetElseTheFirst) {
    std::string sets = Set("zh", "<res id=\"s\" type=\"string\">中文</res>") +
                       Set("en", "<res id=\"s\" type=\"string\">English</res>");
    struct Case {
        std::string language;
        std::u16string text;
    } cases[] = {
        {"en", u"English"}, {"zh", u"中文"}, {"", u"中文"}, {"fr", u"中文"}, {"EN", u"中文"}};
    for (const auto& c : cases) {
        RegistryReset::Clear();
        ASSERT_TRUE(LoadSets(sets, c.language)) << c.language;
        EXPECT_EQ(Text("s"), c.text) << "language '" << c.language << "'";
    }
}

TEST_F(Registry, LoadFailsWithoutEitherDescriptionOrTheResourcesElement) {
    EXPECT_FALSE(Load({{"window.xml", kWindowXml}}));
    EXPECT_FALSE(Load({{"resource.xml", ResourceXml(Set("", ""))}}));
    EXPECT_FALSE(Load({{"resource.xml", ""}, {"window.xml", kWindowXml}}));
    EXPECT_FALSE(Load({{"resource.xml", "<resources><resource>"}, {"window.xml", kWindowXml}}));
    EXPECT_FALSE(Load({{"resource.xml", "<other/>"}, {"window.xml", kWindowXml}}));
    EXPECT_FALSE(Load({{"resource.xml", "<resources/>"}, {"window.xml", kWindowXml}}));
    EXPECT_FALSE(R().loadMain(dir.file("missing.dat"), ""));
    EXPECT_EQ(R().size(), 0u);
}

TEST_F(Registry, BadResElementsAreSkippedAndLaterIdsReplaceEarlierOnes) {
    ASSERT_TRUE(LoadSets(Set("",
                             "<res type=\"string\">no id</res>"
                             "<res id=\"a\">no type</res>"
                             "<res id=\"b\" type=\"sound\">other type</res>"
                             "<res id=\"img\" type=\"image\"></res>"
                             "<res id=\"c\" type=\"string\">first</res>"
                             "<res id=\"c\" type=\"string\">second</res>"
                             "<res id=\"e\" type=\"string\"/>")));
    EXPECT_EQ(R().size(), 2u);
    EXPECT_EQ(Text("c"), u"second");
    EXPECT_EQ(Text("e"), u"");
    EXPECT_EQ(R().find("img"), nullptr) << "an image without text fails and stays undefined";
    EXPECT_EQ(R().find("a"), nullptr);
    EXPECT_EQ(R().find(""), nullptr);
    EXPECT_EQ(R().find("c")->type, "string");
}

TEST_F(Registry, OverlayReplacesIdsEverywhereAndAnOverlayWithoutResourcesChangesNothing) {
    Entries main = {
        {"resource.xml", ResourceXml(Set("",
                                         "<res id=\"c.bg\" type=\"color\" color=\"#010203\"/>"
                                         "<res id=\"s\" type=\"string\">main</res>"))},
        {"window.xml", kWindowXml}};
    Entries overlay = {
        {"resource.xml",
         ResourceXml(Set("", "<res id=\"c.bg\" type=\"color\" color=\"#0A0B0C\"/>"))}};
    ASSERT_TRUE(Load(main, "", &overlay));
    EXPECT_EQ(R().findAs<Res::xColor>("c.bg")->argb, 0xFF0C0B0Au);
    EXPECT_EQ(Text("s"), u"main");
    EXPECT_EQ(R().readColor("c.bg")->argb, 0xFF0C0B0Au) << "controls read the replaced colour";

    RegistryReset::Clear();
    Entries noResources = {{"other.txt", "x"}};
    ASSERT_TRUE(Load(main, "", &noResources));
    EXPECT_EQ(R().findAs<Res::xColor>("c.bg")->argb, 0xFF030201u);
}

TEST_F(Registry, ColorAttributeReaderCopiesAndReplacesAlpha) {
    ASSERT_TRUE(LoadSets(Set("",
                             "<res id=\"c\" type=\"color\" color=\"#112233\"/>"
                             "<res id=\"s\" type=\"string\">x</res>")));
    struct Case {
        const char* value;
        bool defined;
        uint32_t argb;
    } cases[] = {
        {"c", true, 0xFF332211u},
        {"c,128", true, 0x80332211u},
        {"c,0", true, 0xFF332211u},
        {"c,256", true, 0xFF332211u},
        {"c,-5", true, 0xFF332211u},
        {"c,255", true, 0xFF332211u},
        {"c,1", true, 0x01332211u},
        {"nope", false, 0},
        {"s", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        auto color = R().readColor(c.value);
        ASSERT_EQ(color != nullptr, c.defined) << c.value;
        if (color) {
            EXPECT_EQ(color->argb, c.argb) << c.value;
        }
    }
    EXPECT_EQ(R().readColor(nullptr), nullptr);
    auto copy = R().readColor("c,16");
    EXPECT_EQ(R().findAs<Res::xColor>("c")->argb, 0xFF332211u)
        << "the registry's colour is untouched";
}

TEST_F(Registry, ImagesDecodeFromEntriesWithFramesModesAndMargins) {
    ASSERT_TRUE(LoadSets(
        Set("",
            "<res id=\"strip\" type=\"image\" count=\"3\" index=\"1\" stretch=\"stretch9\" "
            "ml=\"2\" mr=\"3\" mt=\"4\" mb=\"5\">strip.png</res>"
            "<res id=\"plain\" type=\"image\" stretch=\"bogus\">one.png</res>"
            "<res id=\"zero\" type=\"image\" count=\"0\">one.png</res>"
            "<res id=\"missing\" type=\"image\">nowhere.png</res>"
            "<res id=\"junk\" type=\"image\">junk.png</res>"),
        "", {{"strip.png", Png(90, 20)}, {"one.png", Png(7, 5)}, {"junk.png", "not a picture"}}));
    auto* strip = R().findAs<Res::xImage>("strip");
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->frameWidth, 30);
    EXPECT_EQ(strip->frameHeight, 20);
    EXPECT_EQ(strip->mode, Res::ImageMode::Stretch9);
    EXPECT_EQ(strip->index, 1);
    EXPECT_EQ(strip->ml + strip->mr + strip->mt + strip->mb, 14);
    auto* plain = R().findAs<Res::xImage>("plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->mode, Res::ImageMode::Original);
    EXPECT_EQ(plain->frameWidth, 7);
    EXPECT_EQ(R().findAs<Res::xImage>("zero")->frameWidth, 7)
        << "count 0 is one frame, not a division by zero";
    EXPECT_EQ(R().find("missing"), nullptr);
    auto* junk = R().findAs<Res::xImage>("junk");
    ASSERT_NE(junk, nullptr) << "an undecodable picture still gives an image that draws nothing";
    EXPECT_FALSE(junk->image);

    auto shared = R().readImage("strip,2");
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->index, 2);
    EXPECT_EQ(shared->image.get(), strip->image.get());
    EXPECT_EQ(R().readImage("strip")->index, 0);
    EXPECT_EQ(R().readImage("nope,1"), nullptr);
    EXPECT_EQ(R().readImage(nullptr), nullptr);
    // A shared copy keeps the picture alive after the registry is gone.
    RegistryReset::Clear();
    EXPECT_EQ(gdk_pixbuf_get_width(shared->image.get()), 90);
}

TEST_F(Registry, ImagesFromLocalFilesAndTheOverlayComeFirst) {
    {
        std::ofstream out(dir.file("disk.png"), std::ios::binary);
        out << Png(12, 6);
    }
    Entries main = {{"resource.xml",
                     ResourceXml(Set("",
                                     "<res id=\"d\" type=\"image\" localfile=\"YES\">disk.png</res>"
                                     "<res id=\"o\" type=\"image\">pic.png</res>"))},
                    {"window.xml", kWindowXml},
                    {"pic.png", Png(4, 4)}};
    Entries overlay = {
        {"resource.xml", ResourceXml(Set("",
                                         "<res id=\"o2\" type=\"image\">pic.png</res>"
                                         "<res id=\"m\" type=\"image\">main.png</res>"))},
        {"pic.png", Png(8, 8)}};
    main.push_back({"main.png", Png(3, 3)});
    ASSERT_TRUE(Load(main, "", &overlay));
    auto* d = R().findAs<Res::xImage>("d");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->frameWidth, 12);
    EXPECT_EQ(d->sourcePath, dir.file("disk.png"));
    EXPECT_EQ(R().findAs<Res::xImage>("o")->frameWidth, 4)
        << "main resources load before the overlay opens";
    EXPECT_EQ(R().findAs<Res::xImage>("o2")->frameWidth, 8)
        << "overlay resources find the overlay's entry first";
    EXPECT_EQ(R().findAs<Res::xImage>("m")->frameWidth, 3) << "and fall back to the main package";
}

TEST_F(Registry, DataEntriesAreExtractedToDistinctTemporaryFiles) {
    ASSERT_TRUE(LoadSets(
        Set("",
            "<res id=\"d1\" type=\"data\">cfg/one.json</res>"
            "<res id=\"d2\" type=\"data\">cfg/one.json</res>"
            "<res id=\"noext\" type=\"data\">blob</res>"
            "<res id=\"empty\" type=\"data\"/>"
            "<res id=\"gone\" type=\"data\">missing.bin</res>"
            "<res id=\"zero\" type=\"data\">zero.bin</res>"),
        "", {{"cfg/one.json", "{\"a\":1}"}, {"blob", std::string("\0\1", 2)}, {"zero.bin", ""}}));
    auto* d1 = R().findAs<Res::xData>("d1");
    auto* d2 = R().findAs<Res::xData>("d2");
    ASSERT_TRUE(d1 && d2);
    EXPECT_EQ(std::string(d1->content.begin(), d1->content.end()), "{\"a\":1}");
    EXPECT_NE(d1->path, d2->path) << "the counter advances";
    std::string prefix = std::string(g_get_tmp_dir()) + "/xui." + std::to_string(getpid()) + ".";
    EXPECT_EQ(d1->path.rfind(prefix, 0), 0u) << d1->path;
    EXPECT_EQ(d1->path.substr(d1->path.size() - 5), ".json");
    auto* noext = R().findAs<Res::xData>("noext");
    ASSERT_NE(noext, nullptr);
    EXPECT_EQ(noext->content.size(), 2u);
    EXPECT_EQ(noext->path.find('.', prefix.size() + 1), noext->path.rfind('.'))
        << "no extension added";
    ASSERT_NE(R().findAs<Res::xData>("empty"), nullptr);
    EXPECT_TRUE(R().findAs<Res::xData>("empty")->content.empty());
    EXPECT_EQ(R().find("gone"), nullptr) << "a missing entry fails the load";
    EXPECT_EQ(R().find("zero"), nullptr) << "an empty entry fails the extraction";
    for (auto* d : {d1, d2, noext}) {
        unlink(d->path.c_str());
    }
}

TEST_F(Registry, MenuCommandsAreNumberedAcrossMenusWithTheirMaps) {
    ASSERT_TRUE(LoadSets(Set("",
                             "<res id=\"m1\" type=\"menu\">"
                             "<menu id=\"open\">Open</menu><menu type=\"separator\"/>"
                             "<menu id=\"sub\">More<menu id=\"a\">A</menu><menu>B</menu></menu>"
                             "<menu id=\"quit\">Quit</menu></res>"
                             "<res id=\"m2\" type=\"menu\"><menu id=\"x\">X</menu></res>"
                             "<res id=\"m3\" type=\"menu\"/>")));
    auto* m1 = R().findAs<Res::xMenu>("m1");
    auto* m2 = R().findAs<Res::xMenu>("m2");
    ASSERT_TRUE(m1 && m2);
    EXPECT_EQ(m1->idToCommand.at("open"), 1);
    EXPECT_EQ(m1->idToCommand.at("a"), 2);
    EXPECT_EQ(m1->idToCommand.at("quit"), 4) << "the unnamed item B took 3";
    EXPECT_EQ(m2->idToCommand.at("x"), 5) << "numbers continue in the next menu";
    EXPECT_EQ(m1->commandToId.at(4), "quit");
    EXPECT_EQ(m1->idToText.at("sub"), u"More");
    EXPECT_EQ(m1->idToCommand.count("sub"), 0u) << "a popup has no command";
    ASSERT_EQ(m1->items.size(), 4u);
    EXPECT_EQ(m1->items[1].kind, Res::xMenu::Item::Separator);
    EXPECT_EQ(m1->items[2].children.size(), 2u);
    ASSERT_NE(R().findAs<Res::xMenu>("m3"), nullptr);
    EXPECT_TRUE(R().findAs<Res::xMenu>("m3")->items.empty());
    auto copy = m1->duplicate();
    EXPECT_EQ(copy->idToCommand, m1->idToCommand);
    EXPECT_EQ(copy->items.size(), m1->items.size());
}

TEST_F(Registry, FontsFallBackToSansAndCarryTheirStyle) {
    ASSERT_TRUE(LoadSets(Set("",
                             "<res id=\"f\" type=\"font\" face=\"No Such Face 123\" size=\"12.5\" "
                             "spec=\"bold,italic,underline\"/>"
                             "<res id=\"g\" type=\"font\"/>")));
    auto* f = R().findAs<Res::xFont>("f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::string(pango_font_description_get_family(f->font)), "Sans");
    EXPECT_EQ(pango_font_description_get_weight(f->font), PANGO_WEIGHT_BOLD);
    EXPECT_EQ(pango_font_description_get_style(f->font), PANGO_STYLE_ITALIC);
    EXPECT_EQ(pango_font_description_get_size(f->font), int(12.5 * PANGO_SCALE));
    EXPECT_EQ(f->styleBits, 1 | 2 | 4);
    EXPECT_EQ(f->pixelHeight, 16) << "12 at 96 dpi";
    EXPECT_TRUE(pango_font_description_get_size_is_absolute(f->nativeFont));
    auto* g = R().findAs<Res::xFont>("g");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(pango_font_description_get_size(g->font), 10 * PANGO_SCALE);
}

TEST(Language, CodesAreKeptUpTo127Bytes) {
    std::string longest(127, 'x');
    Res::SetLanguage(longest.c_str());
    EXPECT_EQ(std::string(Res::Language()), longest);
    std::string tooLong(300, 'y');
    Res::SetLanguage(tooLong.c_str());
    EXPECT_EQ(std::string(Res::Language()), std::string(127, 'y'))
        << "cut, never written past the buffer";
    Res::SetLanguage(nullptr);
    EXPECT_EQ(std::string(Res::Language()), "");
}

}  // namespace
