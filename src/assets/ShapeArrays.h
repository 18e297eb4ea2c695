// Shapes kept in vertex arrays built once at start-up and drawn every frame: the car and the
// dashboard's panel. A shape is written once against a pen: DirectPen paints at once,
// ShapeArrays keeps what it is given as runs of primitives, each run with the paint it needs.
#pragma once

#include <vector>

// Paints at once, begin to end, as it is told.
struct DirectPen {
    void colour(float red, float green, float blue, float alpha);  // the colour what follows takes
    void texturing(bool on);             // texturing on or off for what follows
    void blending(bool on);              // blending on or off for what follows
    void bindTexture(unsigned texture);  // the picture what follows shows; texturing on
    void move(float x, float y);         // moves what follows by (x, y)
    void begin(unsigned mode);           // starts a primitive (GL_QUADS, GL_POLYGON, ...)
    void texCoord(float s, float t);     // the texture coordinate of the corners that follow
    void vertex(float x, float y);       // a corner
    void end();                          // ends the primitive
};

// Keeps a shape as client-side arrays: one array of corners with their texture coordinates, and
// runs of primitives in drawing order, each run with what it changes of the paint (the texture,
// the colour, blending, a move) before its primitives. What a run leaves unsaid stays as found.
class ShapeArrays {
public:
    void colour(float red, float green, float blue, float alpha);
    void texturing(bool on);
    void blending(bool on);
    void bindTexture(unsigned texture);
    void move(float x, float y);
    void begin(unsigned mode);
    void texCoord(float s, float t);
    void vertex(float x, float y);
    void end();

    // Draws the shape as the same calls made directly would, alpha times `opacity`, and leaves
    // the GL as they would: colour, texturing, blending, bound texture, texture coordinate.
    void draw(float opacity = 1.0f) const;
    void clear();  // forgets everything kept

private:
    enum class Switch { AsFound, On, Off };
    struct Corner {
        float s, t;
        float x, y;
    };
    struct Primitive {
        unsigned mode;
        int first, count;  // corners in the array
    };
    struct Run {
        Switch texturing = Switch::AsFound;
        Switch blending = Switch::AsFound;
        unsigned texture = 0;  // bound before the run, if not 0
        bool coloured = false;
        float red = 0.0f, green = 0.0f, blue = 0.0f, alpha = 0.0f;
        bool moves = false;
        float moveX = 0.0f, moveY = 0.0f;
        int firstPrimitive = 0, primitives = 0;
    };

    Run& newRun();    // a run starting at the next primitive
    Run& paintRun();  // the run a change of paint goes to: a new one once primitives were kept

    std::vector<Corner> corners_;
    std::vector<Primitive> primitives_;
    std::vector<Run> runs_;
    float s_ = 0.0f, t_ = 0.0f;  // the texture coordinate in force, as GL keeps it
    bool texCoordSet_ = false;
};
