#pragma once
// Where everything on the registration screen stands, in twips (left, top,
// width, height), as designed. The screen places its widgets from this one
// table and the built-in background art draws its boxes and buttons from it,
// so a hot spot can never drift off the button drawn under it.

#include "components/widgets/twips.h"

#include <QRect>
#include <QSize>

namespace registration {

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
    constexpr QRect pixels() const { return twips::rect(left, top, width, height); }
};

inline constexpr int kClientWidth = 15330;
inline constexpr int kClientHeight = 11490;
constexpr QSize clientSize() {
    return twips::size(kClientWidth, kClientHeight);
}

inline constexpr TwipRect kPhonePrefix{3180, 3270, 1485, 975};   // 폰구분
inline constexpr TwipRect kPhone{4710, 3270, 5355, 975};         // 휴대폰번호
inline constexpr TwipRect kName{3150, 4320, 6915, 975};          // 성명
inline constexpr TwipRect kGender{5640, 5460, 975, 735};         // 남여구분
inline constexpr TwipRect kAddress{3150, 6360, 11565, 975};      // 주소
inline constexpr TwipRect kMaleSpot{3210, 5430, 1035, 795};      // 버튼남
inline constexpr TwipRect kFemaleSpot{4440, 5430, 1035, 795};    // 버튼여
inline constexpr TwipRect kConfirmSpot{240, 10200, 14955, 1155}; // 버튼확인
inline constexpr TwipRect kPhoto{11850, 2790, 2235, 2295};       // 회원사진
inline constexpr TwipRect kTakePhoto{11850, 5130, 1095, 495};    // 버튼사진찍기
inline constexpr TwipRect kDeletePhoto{12990, 5130, 1095, 495};  // 버튼사진삭제
inline constexpr TwipRect kVersion{13110, 2400, 1875, 345};      // 라벨버전

} // namespace registration
