// Shapes kept in vertex arrays built once at start-up and drawn every frame.
#include "assets/ShapeArrays.h"

#include <GL/gl.h>

void DirectPen::colour(float red, float green, float blue, float alpha)
{
    glColor4f(red, green, blue, alpha);
}

void DirectPen::texturing(bool on)
{
    if (on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

void DirectPen::blending(bool on)
{
    if (on)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
}

void DirectPen::bindTexture(unsigned texture)
{
    glBindTexture(GL_TEXTURE_2D, texture);
}

void DirectPen::move(float x, float y)
{
    glTranslatef(x, y, 0.0f);
}

void DirectPen::begin(unsigned mode)
{
    glBegin(mode);
}

void DirectPen::texCoord(float s, float t)
{
    glTexCoord2f(s, t);
}

void DirectPen::vertex(float x, float y)
{
    glVertex2f(x, y);
}

void DirectPen::end()
{
    glEnd();
}

ShapeArrays::Run& ShapeArrays::newRun()
{
    Run run;
    run.firstPrimitive = static_cast<int>(primitives_.size());
    runs_.push_back(run);
    return runs_.back();
}

ShapeArrays::Run& ShapeArrays::paintRun()
{
    if (runs_.empty() || runs_.back().primitives > 0)
        return newRun();
    return runs_.back();
}

void ShapeArrays::colour(float red, float green, float blue, float alpha)
{
    Run& run = paintRun();
    run.coloured = true;
    run.red = red;
    run.green = green;
    run.blue = blue;
    run.alpha = alpha;
}

void ShapeArrays::texturing(bool on)
{
    paintRun().texturing = on ? Switch::On : Switch::Off;
}

void ShapeArrays::blending(bool on)
{
    paintRun().blending = on ? Switch::On : Switch::Off;
}

void ShapeArrays::bindTexture(unsigned texture)
{
    paintRun().texture = texture;
}

void ShapeArrays::move(float x, float y)
{
    // Two moves are two translations, not one of their sum: the matrix keeps each rounding.
    Run& run = !runs_.empty() && runs_.back().moves ? newRun() : paintRun();
    run.moves = true;
    run.moveX = x;
    run.moveY = y;
}

void ShapeArrays::begin(unsigned mode)
{
    if (runs_.empty())
        newRun();
    primitives_.push_back({mode, static_cast<int>(corners_.size()), 0});
}

void ShapeArrays::texCoord(float s, float t)
{
    s_ = s;
    t_ = t;
    texCoordSet_ = true;
}

void ShapeArrays::vertex(float x, float y)
{
    corners_.push_back({s_, t_, x, y});
    ++primitives_.back().count;
}

void ShapeArrays::end()
{
    ++runs_.back().primitives;
}

void ShapeArrays::draw(float opacity) const
{
    if (corners_.empty())
        return;  // not built yet: nothing to show
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(Corner), &corners_.data()->x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Corner), &corners_.data()->s);
    for (const Run& run : runs_) {
        if (run.texturing != Switch::AsFound)
            DirectPen{}.texturing(run.texturing == Switch::On);
        if (run.texture != 0)
            glBindTexture(GL_TEXTURE_2D, run.texture);
        if (run.blending != Switch::AsFound)
            DirectPen{}.blending(run.blending == Switch::On);
        if (run.coloured)
            glColor4f(run.red, run.green, run.blue, run.alpha * opacity);
        if (run.moves)
            glTranslatef(run.moveX, run.moveY, 0.0f);
        for (int i = run.firstPrimitive; i < run.firstPrimitive + run.primitives; ++i)
            glDrawArrays(primitives_[i].mode, primitives_[i].first, primitives_[i].count);
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (texCoordSet_)
        glTexCoord2f(s_, t_);  // as the corners given one by one would have left it
}

void ShapeArrays::clear()
{
    *this = ShapeArrays{};
}
