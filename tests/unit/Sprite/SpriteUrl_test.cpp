// Sprites from URLs in a running game: the index at once, the frames and event 60 later.
#include "../Base/CapturedWarnings.h"
#include "../Function/HttpGame.h"
#include "../Graphics_API/PngBytes.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

namespace {

const char* const kPrintMap =
    "show_debug_message(ds_map_find_value(async_load, 'filename') + '|' + string(ds_map_find_value(async_load, 'id')) + '|' +"
    " string(ds_map_find_value(async_load, 'status')) + '|' + string(ds_map_size(async_load)));";

class UrlSprites : public HttpGame {
protected:
    void TearDown() override
    {
        HttpGame::TearDown();
        Sprite_Free();
    }
    // Two 3 x 2 frames side by side.
    static std::string Png()
    {
        std::vector<uint8_t> rgba(6 * 2 * 4, 255);
        std::vector<uint8_t> png = PngBytes(rgba.data(), 6, 2);
        return std::string(png.begin(), png.end());
    }
    static int Add(const std::string& url) { return Sprite_Add(url.c_str(), 2, true, false, false, true, 1, 0); }
};

// An image fills its sprite; a page that is no image and a refused connection leave theirs
// empty, and their event comes all the same.
TEST_F(UrlSprites, TheIndexComesAtOnceAndTheFramesWithEvent60)
{
    TCapturedWarnings warnings;
    server.Answer("/two.png", 200, Png());
    server.Answer("/page", 200, "<html>not an image</html>");
    int closed;
    {
        HttpServer gone;
        closed = std::stoi(gone.Url("").substr(17));
    }
    std::string refused = "http://127.0.0.1:" + std::to_string(closed) + "/x.png";
    ASSERT_NO_FATAL_FAILURE(Play({{{7, 60}, kPrintMap}}));
    int s = Add(server.Url("/two.png"));
    ASSERT_GE(s, 0);
    EXPECT_EQ(Sprite_Get(s)->m_numb, 0);
    int page = Add(server.Url("/page"));
    int none = Add(refused);
    std::vector<std::string> expected{server.Url("/two.png") + "|" + std::to_string(s) + "|0|3",
                                      server.Url("/page") + "|" + std::to_string(page) + "|-1|3",
                                      refused + "|" + std::to_string(none) + "|-1|3"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedLines(3), expected);
    const CSprite* sprite = Sprite_Get(s);
    EXPECT_EQ(sprite->m_numb, 2);
    EXPECT_EQ(sprite->m_width, 3);
    EXPECT_EQ(sprite->m_height, 2);
    EXPECT_EQ(sprite->m_xorigin, 1);
    EXPECT_EQ(Sprite_Get(page)->m_numb, 0);
    EXPECT_EQ(Sprite_Get(none)->m_numb, 0);
    EXPECT_EQ(DS_Map_Find(0), nullptr);
    EXPECT_EQ(warnings.text.rfind("InternetConnect: ", 0), 0u) << warnings.text;
}

TEST_F(UrlSprites, ADownloadLeftAtShutDownFreesItsContext)
{
    server.On("/slow.png", [](HttpServer& s, int, const HttpServer::Request&) { s.Stalled(); });
    ASSERT_NO_FATAL_FAILURE(Play({{{7, 60}, kPrintMap}}));
    size_t blocks = MemoryManager_LiveBlocks();
    int s = Add(server.Url("/slow.png"));
    ASSERT_GE(s, 0);
    Run_Frame();
    RequestList_Free();
    Sprite_Delete(s);
    EXPECT_EQ(MemoryManager_LiveBlocks(), blocks);
    EXPECT_EQ(log.text, "");
}

}  // namespace
