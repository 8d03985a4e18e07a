#include "text/engine_texts.h"

#include "platform/font.h"
#include "text/language_pack.h"

namespace tarvex {

const std::vector<CaptionText>& EngineCaptions() {
    static const std::vector<CaptionText> captions = {
        {Caption::MenuTitle, "Тарвекс"},
        {Caption::Saved, "Сохранено"},
        {Caption::Loaded, "Загружено"},
        {Caption::NotSaved, "Игра не сохранена: "},
        {Caption::NotLoaded, "Сохранение не загружено: "},
        {Caption::SaveFailed, "Не удалось сохранить игру."},
        {Caption::LoadFailed, "Не удалось загрузить игру."},
        {Caption::NoSaveDuringVideo, "во время видео игра не сохраняется"},
        {Caption::NoGameYet, "игра ещё не начата"},
        {Caption::NoLoadDuringVideo, "во время видео игра не загружается"},
        {Caption::NoFile, "нет файла "},
        {Caption::CannotWrite, "не удалось записать "},
        {Caption::Language, "Язык: "},
        {Caption::SettingsTitle, "Настройки игры \"Тарвекс\""},
        {Caption::SettingsGraphics, "Настройка графики"},
        {Caption::SettingsTransformLighting, "Блок трансформации и освещения"},
        {Caption::SettingsColour32, "32-битный цвет"},
        {Caption::SettingsTripleBuffering, "Тройная буферизация"},
        {Caption::SettingsShadows, "Тени"},
        {Caption::SettingsRadeon, "Совместимость с Ati Radeon"},
        {Caption::SettingsVideos, "включить видеоролики"},
        {Caption::SettingsSound, "Настройка звука"},
        {Caption::SettingsSoundOn, "Включить звук"},
        {Caption::SettingsMusicOn, "Включить музыку"},
        {Caption::SettingsStart, "Старт"},
        {Caption::SettingsExit, "Выход"},
        {Caption::SubtitleSize, "Текст: "},
        {Caption::SubtitleBand, "Фон: "},
        {Caption::BandDark, "тёмный"},
        {Caption::BandAsInGame, "как в игре"},
        {Caption::ReadingSpeed, "Чтение: ×"},
        {Caption::WaitForClick, "До щелчка: "},
        {Caption::Yes, "да"},
        {Caption::No, "нет"},
        {Caption::SettingsNotSaved, "Не удалось сохранить настройки."},
    };
    return captions;
}

std::string EngineText(Caption id) {
    const std::vector<CaptionText>& captions = EngineCaptions();
    const size_t index = static_cast<size_t>(id) - 1;
    if (index >= captions.size()) return "";
    const std::u16string original = Utf8ToUtf16(captions[index].original);
    std::u16string translated;
    if (TranslatedLine(kEngineTable, static_cast<int>(id), original, translated)) return Utf16ToUtf8(translated);
    return captions[index].original;
}

}  // namespace tarvex
