#pragma once
// A high-score entry of the game: a score with one free text shown beside it
// (the level reached).
#include <string>

#include "engine/io/HighScoreEntry.h"
#include "engine/io/ObjectInitializer.h"

class DelvorScoreEntry : public ZQ2::HighScoreEntry {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // The current player's score.
    DelvorScoreEntry(int score, const std::string& extra);
    // One of the table's initial entries.
    DelvorScoreEntry(const std::string& name, int score, const std::string& extra);
    explicit DelvorScoreEntry(ZQ2::AbstractProperty* node);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Save(ZQ2::AbstractProperty* node) override;
    const std::string& GetExtra() const { return m_sExtra; }

private:
    std::string m_sExtra;
};
