// CPhysicsObject: an instance's link to its body. Positions and vectors are in world units, angles
// in degrees; each operation checks its values first and refuses (with a message naming `who`)
// what the engine would not survive.
#pragma once

class b2Body;
class CPhysicsWorld;

class CPhysicsObject {
public:
    CPhysicsObject(CPhysicsWorld* world, b2Body* body, int slot, bool events)
        : world(world), body(body), slot(slot), events(events) {}

    CPhysicsWorld* const world;
    b2Body* const body;
    const int slot;  // the object's collision-category slot, or -1
    // Whether the object has a collision event with some object, or some object with it: the
    // contacts of a body without are never recorded, since they can raise no event.
    const bool events;
    // The damping the game gave the body; the engine holds it converted for its step's length.
    float linear_damping = 0.0f, angular_damping = 0.0f;
    // Forces and torque applied since the world's last step (which clears them), so that the
    // change of velocity they make in the next step can be kept finite.
    double pending_fx = 0, pending_fy = 0, pending_torque = 0;
    long long pending_step = -1;

    bool SetPosition(float x, float y, const char* who);
    bool SetAngle(float degrees, const char* who);
    // A static body given a velocity other than (0, 0) becomes kinematic first.
    bool SetLinearVelocity(float vx, float vy, const char* who);
    bool SetAngularVelocity(float degreesPerSecond, const char* who);
    bool SetMassData(float mass, float centreX, float centreY, float inertia, const char* who);
    bool ApplyForce(float px, float py, float fx, float fy, const char* who);
    bool ApplyImpulse(float px, float py, float ix, float iy, const char* who);
    bool ApplyLocalForce(float px, float py, float fx, float fy, const char* who);
    bool ApplyLocalImpulse(float px, float py, float ix, float iy, const char* who);
    bool ApplyTorque(float torque, const char* who);
    void SetBullet(bool on);
    void SetFixedRotation(bool on);
    void SetEnabled(bool on);
    // Draws the body's fixtures and joints in the drawing colour, world units times inverseScale.
    void DrawDebug(float inverseScale) const;

    // Reads (world units, degrees).
    float X() const;
    float Y() const;
    float Angle() const;
    float VelocityX() const;
    float VelocityY() const;
    float AngularVelocity() const;
    float Mass() const;
    float Inertia() const;
    float CentreX() const;  // the centre of mass in the world
    float CentreY() const;
    bool Dynamic() const;
    bool Kinematic() const;
    bool Awake() const;
    bool Bullet() const;
    bool FixedRotation() const;
    bool Active() const;
};
