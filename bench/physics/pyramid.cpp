// The pyramid of bench/physics/game.json.in on Box2D 2.4.1 alone: the same bodies made in the same
// order with the same numbers (pixels times 0.1 in single precision, y downwards), stepped as the
// runner steps a room at speed 60: one step of 1/60 s a frame, 10 velocity and 10 position
// iterations. Prints the last box's place in pixels (times 100, floored), as the game does.
//   pyramid ROWS FRAMES
#include <box2d/box2d.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr float kScale = 0.1f;

b2Body* Box(b2World& world, float x, float y, float half, float halfHeight, float density)
{
    b2BodyDef bd;
    bd.type = density > 0.0f ? b2_dynamicBody : b2_staticBody;
    bd.position.Set(x * kScale, y * kScale);
    bd.angle = -0.0f;
    b2Body* body = world.CreateBody(&bd);
    b2PolygonShape shape;
    shape.SetAsBox(half * kScale, halfHeight * kScale);
    b2FixtureDef fd;
    fd.shape = &shape;
    fd.density = density;
    fd.friction = 0.2f;
    body->CreateFixture(&fd);
    return body;
}
}  // namespace

int main(int argc, char** argv)
{
    int rows = argc > 1 ? atoi(argv[1]) : 40, frames = argc > 2 ? atoi(argv[2]) : 600;
    b2World world(b2Vec2(0.0f, 10.0f));
    Box(world, 325, 615, 300, 10, 0);
    b2Body* top = nullptr;
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < rows - i; j++)
            top = Box(world, (float)(100 + i * 5.625 + j * 11.25), (float)(600 - i * 10), 5, 5, 1);
    for (int f = 0; f < frames; f++) world.Step(1.0f / 60.0f, 10, 10);
    float x = top->GetPosition().x / kScale, y = top->GetPosition().y / kScale;
    printf("%.0f %.0f\n", std::floor(x * 100.0), std::floor(y * 100.0));
    return 0;
}
