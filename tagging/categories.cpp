#include "tagging/categories.h"

namespace categories {

const QStringList& adobe() {
    static const QStringList names = {"Animals",
                                      "Buildings and Architecture",
                                      "Business",
                                      "Drinks",
                                      "The Environment",
                                      "States of Mind",
                                      "Food",
                                      "Graphic Resources",
                                      "Hobbies and Leisure",
                                      "Industry",
                                      "Landscape",
                                      "Lifestyle",
                                      "People",
                                      "Plants and Flowers",
                                      "Culture and Religion",
                                      "Science",
                                      "Social Issues",
                                      "Sports",
                                      "Technology",
                                      "Transport",
                                      "Travel"};
    return names;
}

const QStringList& shutterstock() {
    // "Signs/Symbols" is the agency's own name for the category.
    static const QStringList names = {"Abstract",
                                      "Animals/Wildlife",
                                      "Arts",
                                      "Backgrounds/Textures",
                                      "Beauty/Fashion",
                                      "Buildings/Landmarks",
                                      "Business/Finance",
                                      "Celebrities",
                                      "Education",
                                      "Food and Drink",
                                      "Healthcare/Medical",
                                      "Holidays",
                                      "Industrial",
                                      "Interiors",
                                      "Miscellaneous",
                                      "Nature",
                                      "Objects",
                                      "Parks/Outdoor",
                                      "People",
                                      "Religion",
                                      "Science",
                                      "Signs/Symbols",
                                      "Sport/Recreation",
                                      "Technology",
                                      "Transportation",
                                      "Vintage"};
    return names;
}

}  // namespace categories
