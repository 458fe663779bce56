#pragma once
// The comment shown over the full-screen picture: the corner it sits in.

// None until comments are first switched on: the label then keeps its place.
enum class CoinCommentaire { Aucun, HautGauche, HautDroite, BasGauche, BasDroite };
