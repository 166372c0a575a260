// The titles of the platform's system windows, as they appear in Japanese
// (full-width and half-width katakana), English and Chinese (Simplified)
// editions. Titles are compared exactly, so every space counts: the
// "エクスプローラ  - " titles have two before the hyphen.
#include "apprestrict/ControlTitles.h"

#include <iterator>

namespace {

using namespace ControlTitle;

struct TitleRow {
    Key key;
    const wchar_t* text;
};

constexpr TitleRow kTitles[] = {
    {S1,  L"システムのプロパティ"},
    {S2,  L"ｼｽﾃﾑのﾌﾟﾛﾊﾟﾃｨ"},  // half-width katakana
    {S3,  L"システム"},
    {S4,  L"System Properties"},
    {S5,  L"System"},
    {S6,  L"系统属性"},
    {S7,  L"系统"},
    {N1,  L"ネットワーク"},
    {N2,  L"ﾈｯﾄﾜｰｸ"},  // half-width katakana
    {N3,  L"ネットワーク セットアップ ウィザード"},
    {N4,  L"ネットワーク プレースの追加ウィザード"},
    {N5,  L"ダイヤルアップ ネットワークへようこそ"},
    {N6,  L"ダイヤルアップ ネットワーク"},
    {N7,  L"ネットワークとダイヤルアップ接続"},
    {N8,  L"ネットワークとインターネット接続"},
    {N9,  L"ネットワーク接続"},
    {N10, L"ネットワークと共有センター"},
    {N11, L"ネットワークに接続"},
    {N12, L"接続またはネットワークのセットアップ"},
    {N13, L"Windows ネットワーク診断"},
    {N14, L"ネットワークの場所の設定"},
    {N15, L"ネットワーク マップ"},
    {N16, L"ローカル エリア接続の状態"},
    {N17, L"ネットワーク接続の詳細"},
    {N18, L"ローカル エリア接続のプロパティ"},
    {N19, L"Network"},
    {N20, L"Network Setup Wizard"},
    {N21, L"Add Network Place Wizard"},
    {N22, L"Welcome to Dial-Up Networking"},
    {N23, L"Dial-Up Networking"},
    {N24, L"Network and Dial-up Connections"},
    {N25, L"Network and Internet Connections"},
    {N26, L"Network Connections"},
    {N27, L"Network and Sharing Center"},
    {N28, L"My Network Places"},
    {N29, L"网络"},
    {N30, L"网络安装向导"},
    {N31, L"添加网上邻居向导"},
    {N32, L"网络和Internet连接"},
    {N33, L"网络连接"},
    {N34, L"网上邻居"},
    {N35, L"网络和共享中心"},
    {P1,  L"ﾌﾟﾘﾝﾀ"},  // half-width katakana
    {P2,  L"プリンタ"},
    {P3,  L"プリンタと FAX"},
    {P4,  L"プリンタとその他のハードウェア"},
    {P5,  L"エクスプローラ  - ﾌﾟﾘﾝﾀ"},  // half-width katakana
    {P6,  L"Printers"},
    {P7,  L"Printers and Faxes"},
    {P8,  L"Printers and Other Hardware"},
    {P9,  L"Explorer - Printers"},
    {P10, L"デバイスとプリンター"},
    {P11, L"Devices and Printers"},
    {P12, L"打印机"},
    {P13, L"打印机和传真"},
    {P14, L"打印机和其他硬件"},
    {R1,  L"ファイル名を指定して実行"},
    {R2,  L"ﾌｧｲﾙ名を指定して実行"},  // half-width katakana
    {R3,  L"Run"},
    {R4,  L"运行"},
    {C1,  L"ｺﾝﾄﾛｰﾙ ﾊﾟﾈﾙ"},  // half-width katakana
    {C2,  L"コントロール パネル"},
    {C3,  L"エクスプローラ  - ｺﾝﾄﾛｰﾙ ﾊﾟﾈﾙ"},  // half-width katakana
    {C4,  L"Control Panel"},
    {C5,  L"Explorer - Control Panel"},
    {C6,  L"控制面板"},
};

constexpr bool InKeyOrder() {
    for (size_t i = 0; i < std::size(kTitles); ++i)
        if (static_cast<size_t>(kTitles[i].key) != i) return false;
    return true;
}
static_assert(std::size(kTitles) == Count && InKeyOrder(), "one row per key, in key order");

}  // namespace

const wchar_t* BuiltInControlTitle(Key key) {
    return kTitles[key].text;
}
